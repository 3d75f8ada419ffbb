#include "app/ScheduledScans.h"

#include <QTableWidget>

#include "app/CAddScheduleDialog.h"
#include "app/workflow/ScheduleCommands.h"
#include "app/workflow/UserTexts.h"

namespace brindle {

ScheduledScans::ScheduledScans(ScheduledScansSetup setup, UserPrompts& prompts)
    : m_setup(std::move(setup)), m_prompts(prompts) {}

TaskScheduler& ScheduledScans::scheduler() {
    // Looked for again while there is none: cron may have been installed, or a session with a
    // systemd user instance begun, since the window started.
    if (!m_scheduler || !m_scheduler->available())
        m_scheduler = m_setup.openScheduler ? m_setup.openScheduler() : OpenSystemScheduler();
    return *m_scheduler;
}

std::string ScheduledScans::taskName() {
    auto use = m_setup.machine->useRegistry();
    return ScheduledTaskName(m_setup.machine->userName(), true);
}

void ScheduledScans::add(CSubMainSkin& panel) {
    // Said before the dialog: a time chosen for a scheduler that is not there is wasted.
    if (!scheduler().available()) {
        m_prompts.caution(kProgramCaption, kNoSchedulerMessage);
        return;
    }
    ScheduledTask task;
    task.program = m_setup.programPath;
    task.workingDirectory = m_setup.workFolder;
    task.parameters = m_setup.scheduledOptions + "scan";
    {
        auto use = m_setup.machine->useRegistry();
        task.account = m_setup.machine->userName();
    }
    task.isNT = true;
    CAddScheduleDialog dialog(scheduler(), taskName(), task,
                              [this](const std::string& text) { m_prompts.tell(kProgramCaption, text); },
                              m_setup.owner);
    m_prompts.runDialog(dialog);
    if (panel.scheduleList() != nullptr) fill(panel);
}

void ScheduledScans::remove(CSubMainSkin& panel) {
    QTableWidget* list = panel.scheduleList();
    if (list == nullptr || list->rowCount() == 0 || list->currentRow() < 0) return;
    // The question names the schedule it is about: its start and how often it runs.
    const QTableWidgetItem* when = list->item(list->currentRow(), 1);
    const std::string named = when != nullptr ? "\n\n" + when->text().toStdString() : std::string();
    if (!m_prompts.confirm(kDeleteScheduleCaption, kDeleteScheduleQuestion + named)) return;
    if (scheduler().DeleteTrigger(taskName(), list->currentRow()) != kTaskOk)
        m_prompts.warn(kProgramCaption, "The scheduled scan could not be deleted: " + scheduler().lastError());
    fill(panel);
    panel.update();
}

void ScheduledScans::fill(CSubMainSkin& panel) {
    QTableWidget* list = panel.scheduleList();
    if (list == nullptr) return;
    const auto rows = ScheduleListRows(scheduler(), taskName(), LastRunText);
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
