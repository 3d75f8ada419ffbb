// The add-schedule dialog: its German texts, a time picker without seconds, and OK adding
// the chosen start and kind through the scheduler with the outcome's message.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/CAddScheduleDialog.h"
#include "app/workflow/ScheduleCommands.h"
#include "support/MemoryTaskScheduler.h"

namespace brindle {

class AddScheduleDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheGermanTextsAndATimeWithoutSeconds() {
        test::MemoryTaskScheduler scheduler;
        CAddScheduleDialog dialog(scheduler, "Brindleanna", ScheduledTask{}, [](const std::string&) {});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Zeitplanung hinzufügen"));
        QStringList choices;
        for (const QRadioButton* button : dialog.findChildren<QRadioButton*>()) choices << button->text();
        QCOMPARE(choices, (QStringList{"Sofort", "Täglich", "Wöchentlich", "Monatlich"}));
        QCOMPARE(dialog.frequency(), 0);
        QVERIFY(!dialog.startTime().displayFormat().contains('s'));
        QStringList buttons;
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) buttons << button->text();
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Abbrechen", "OK"}));
        // The calendar names months in German, whatever the user's language.
        QCOMPARE(dialog.startDate().locale().monthName(3), QStringLiteral("März"));
    }

    void okAddsTheStartOnTheWeekdayOfItsDate() {
        test::MemoryTaskScheduler scheduler;
        ScheduledTask task;
        task.program = "/usr/bin/brindle";
        std::vector<std::string> told;
        CAddScheduleDialog dialog(scheduler, "Brindleanna", task, [&](const std::string& text) { told.push_back(text); });
        dialog.startDate().setDate(QDate(2026, 12, 9));  // a Wednesday
        dialog.startTime().setTime(QTime(14, 30));
        dialog.setFrequency(2);
        dialog.OnOK();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(told, std::vector<std::string>{kScheduleCreated});
        const auto& added = scheduler.tasks["Brindleanna"];
        QCOMPARE(added.task.parameters, std::string("scan"));
        QCOMPARE(added.triggers.size(), std::size_t{1});
        QCOMPARE(added.triggers[0].kind, int(kTaskWeekly));
        QCOMPARE(added.triggers[0].start.dayOfWeek, std::uint16_t{3});
        QCOMPARE(added.triggers[0].start.hour, std::uint16_t{14});
        QCOMPARE(added.triggers[0].start.minute, std::uint16_t{30});
    }

    // The window hands in the folders its own scan uses; the job must keep them.
    void theWindowsOptionsStayOnTheJobsCommandLine() {
        test::MemoryTaskScheduler scheduler;
        ScheduledTask task;
        task.program = "/usr/bin/brindle";
        task.parameters = "--work-dir \"/d\" scan";
        CAddScheduleDialog dialog(scheduler, "Brindleanna", task, [](const std::string&) {});
        dialog.OnOK();
        QCOMPARE(scheduler.tasks["Brindleanna"].task.parameters, std::string("--work-dir \"/d\" scan"));
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::AddScheduleDialogTest)
#include "AddScheduleDialogTest.moc"
