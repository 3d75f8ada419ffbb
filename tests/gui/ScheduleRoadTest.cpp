// The schedule page's Add on a system without a task scheduler: the user is told why and
// what to install before any time is asked for, and a scheduler that appears later (cron
// installed meanwhile) is used without a restart.
#include <QTest>

#include "app/CAddScheduleDialog.h"
#include "app/workflow/ScheduleCommands.h"
#include "platform/TaskScheduler.h"
#include "skin/BuiltInSkin.h"
#include "support/DemoWindow.h"

namespace brindle {

class ScheduleRoadTest : public QObject {
    Q_OBJECT

private slots:
    // The full skin has the list of scheduled scans and its Add button.
    void initTestCase() { skin::SetBuiltInSkinRoot(skin::kFullSkinRoot); }
    void cleanupTestCase() { skin::SetBuiltInSkinRoot(QString()); }

    void withoutASchedulerAddSaysSoAndALaterOneIsFound() {
        test::DemoWindow window;
        window.schedulerInstalled = false;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CSubMainSkin& schedule = window.panel("SUBMAIN_SCHEDULE");
        int dialogs = 0;
        window.dialog->fillSchedule = [&](CAddScheduleDialog& dialog) {
            ++dialogs;
            dialog.startDate().setDate(QDate(2026, 12, 31));
            dialog.startTime().setTime(QTime(8, 0));
            dialog.OnOK();
        };

        window.dialog->OnPanelButton(schedule, "BUTTON_ADDSCHEDULE");
        QCOMPARE(dialogs, 0);
        QVERIFY(window.dialog->wasTold(kNoSchedulerMessage));
        QCOMPARE(window.dialog->cautions, 1);  // a warning: something to install first
        QCOMPARE(window.dialog->warnings, 0);

        window.schedulerInstalled = true;
        window.dialog->OnPanelButton(schedule, "BUTTON_ADDSCHEDULE");
        QCOMPARE(dialogs, 1);
        QVERIFY(window.dialog->wasTold(kScheduleCreated));
        QVERIFY(window.scheduler != nullptr);
        QCOMPARE(window.scheduler->tasks.size(), std::size_t{1});
        QCOMPARE(schedule.scheduleList()->rowCount(), 1);

        // Deleting names the schedule in its question, and a refusal is told, not hidden.
        const QString when = schedule.scheduleList()->item(0, 1)->text();
        schedule.scheduleList()->setCurrentCell(0, 1);
        window.scheduler->refuseEverything = true;
        window.dialog->OnPanelButton(schedule, "BUTTON_DELETESCHEDULE");
        QVERIFY(window.dialog->wasTold(std::string(kDeleteScheduleQuestion) + "\n\n" + when.toStdString()));
        QVERIFY(window.dialog->wasTold("The scheduled scan could not be deleted: refused"));
        QCOMPARE(window.dialog->warnings, 1);
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::ScheduleRoadTest)
#include "ScheduleRoadTest.moc"
