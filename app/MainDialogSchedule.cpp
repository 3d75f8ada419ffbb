// The schedule panel's list of scheduled scans and its add and delete commands, over
// the system's task scheduler.
#include <QTableWidget>

#include "app/CAddScheduleDialog.h"
#include "app/CMainDialog.h"
#include "app/workflow/ScheduleCommands.h"

namespace brindle {

TaskScheduler& CMainDialog::scheduler() {
    // Looked for again while there is none: cron may have been installed, or a session with a
    // systemd user instance begun, since the window started.
    if (!m_scheduler || !m_scheduler->available())
        m_scheduler = m_setup.openScheduler ? m_setup.openScheduler() : OpenSystemScheduler();
    return *m_scheduler;
}

std::string CMainDialog::scheduledTaskName() {
    auto use = m_machine.useRegistry();
    return ScheduledTaskName(m_machine.userName(), true);
}

void CMainDialog::AddSchedule(CSubMainSkin& panel) {
    // Said before the dialog: a time chosen for a scheduler that is not there is wasted.
    if (!scheduler().available()) {
        warn(kProgramCaption, kNoSchedulerMessage);
        return;
    }
    ScheduledTask task;
    task.program = m_setup.programPath;
    task.workingDirectory = m_setup.workFolder.string();
    task.parameters = m_setup.scheduledOptions + "scan";
    {
        auto use = m_machine.useRegistry();
        task.account = m_machine.userName();
    }
    task.isNT = true;
    CAddScheduleDialog dialog(scheduler(), scheduledTaskName(), task,
                              [this](const std::string& text) { tell(kProgramCaption, text); }, this);
    runDialog(dialog);
    if (panel.scheduleList() != nullptr) FillScheduleList(panel);
}

void CMainDialog::DeleteSchedule(CSubMainSkin& panel) {
    QTableWidget* list = panel.scheduleList();
    if (list == nullptr || list->rowCount() == 0 || list->currentRow() < 0) return;
    // The question names the schedule it is about: its start and how often it runs.
    const QTableWidgetItem* when = list->item(list->currentRow(), 1);
    const std::string named = when != nullptr ? "\n\n" + when->text().toStdString() : std::string();
    if (!confirm(kDeleteScheduleCaption, kDeleteScheduleQuestion + named)) return;
    if (scheduler().DeleteTrigger(scheduledTaskName(), list->currentRow()) != kTaskOk)
        warn(kProgramCaption, "The scheduled scan could not be deleted: " + scheduler().lastError());
    FillScheduleList(panel);
    panel.update();
}

void CMainDialog::FillScheduleList(CSubMainSkin& panel) {
    QTableWidget* list = panel.scheduleList();
    if (list == nullptr) return;
    const auto rows = ScheduleListRows(scheduler(), scheduledTaskName(), LastRunText);
    if (!rows) return;
    list->setRowCount(0);
    list->setRowCount(static_cast<int>(rows->size()));
    for (std::size_t row = 0; row < rows->size(); ++row) {
        for (std::size_t column = 0; column < (*rows)[row].size() && static_cast<int>(column) < list->columnCount();
             ++column) {
            list->setItem(static_cast<int>(row), static_cast<int>(column),
                          new QTableWidgetItem(QString::fromStdString((*rows)[row][column])));
        }
    }
}

}  // namespace brindle
