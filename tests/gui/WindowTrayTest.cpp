// The window run as the program runs it (exec), minimised with and without a notification
// area: with one it hides in the tray and the program goes on until the tray's Close;
// without one it stays in the task bar. The offscreen platform has no notification area,
// so the tests say whether there is one.
#include <QAction>
#include <QSignalSpy>
#include <QtTest>

#include <optional>

#include "app/MainTrayIcon.h"
#include "gui/support/DemoWindow.h"
#include "gui/support/WindowSteps.h"

namespace brindle {

using test::DemoWindow;
using test::RunSteps;

namespace {

QAction* MenuItem(MainTrayIcon& tray, const QString& text) {
    for (QAction* action : tray.menu().actions()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

}  // namespace

class WindowTrayTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { MainTrayIcon::setAvailableForTesting(std::nullopt); }

    // How the window is minimised (its own button, the window manager) and how it comes back.
    void minimiseKeepsTheProgramRunningAndTheWindowComesBack_data() {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("byWindowManager");
        QTest::addColumn<QString>("back");  // "double click", "click", "Show", "task bar"
        QTest::newRow("tray, double click") << true << false << "double click";
        QTest::newRow("tray, click") << true << false << "click";
        QTest::newRow("tray, menu") << true << false << "Show";
        QTest::newRow("tray, window manager") << true << true << "double click";
        QTest::newRow("no tray") << false << false << "task bar";
        QTest::newRow("no tray, window manager") << false << true << "task bar";
    }
    void minimiseKeepsTheProgramRunningAndTheWindowComesBack() {
        QFETCH(bool, tray);
        QFETCH(bool, byWindowManager);
        QFETCH(QString, back);
        MainTrayIcon::setAvailableForTesting(tray);
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CMainDialog& dialog = *window.dialog;
        MainTrayIcon& icon = *dialog.trayIcon();

        bool running = false, visible = true, minimised = false, iconShown = false;
        bool runningAgain = false, visibleAgain = false, minimisedAgain = true, active = false;
        QPoint placeBefore, placeAfter;
        RunSteps(dialog, {
            [&] {
                placeBefore = dialog.pos();
                if (byWindowManager) {
                    dialog.setWindowState(dialog.windowState() | Qt::WindowMinimized);
                } else {
                    dialog.ButtonPressed("BUTTON_MINIMIZE");
                }
            },
            [&] {
                running = dialog.executing();
                visible = dialog.isVisible();
                minimised = dialog.isMinimized();
                iconShown = icon.trayIcon().isVisible();
                if (back == "double click") emit icon.trayIcon().activated(QSystemTrayIcon::DoubleClick);
                if (back == "click") emit icon.trayIcon().activated(QSystemTrayIcon::Trigger);
                if (back == "Show") MenuItem(icon, "Show")->trigger();
                if (back == "task bar") dialog.showNormal();
            },
            [&] {
                runningAgain = dialog.executing();
                visibleAgain = dialog.isVisible();
                minimisedAgain = dialog.isMinimized();
                placeAfter = dialog.pos();
                active = QTest::qWaitForWindowActive(&dialog, 1000);
            },
        });
        QVERIFY2(running, "the program ended when the window was minimised");
        QCOMPARE(visible, !tray);
        QCOMPARE(iconShown, tray);
        if (!tray) QVERIFY(minimised);
        QVERIFY(runningAgain);
        QVERIFY(visibleAgain);
        QVERIFY(!minimisedAgain);
        QVERIFY(active);
        QCOMPARE(placeAfter, placeBefore);
        QVERIFY(!dialog.executing());
    }

    // The tray menu's Close ends the program as the exit button does, from the tray too.
    void theTrayMenusCloseEndsTheProgram() {
        MainTrayIcon::setAvailableForTesting(true);
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CMainDialog& dialog = *window.dialog;
        MainTrayIcon& icon = *dialog.trayIcon();
        QSignalSpy finished(&dialog, &QDialog::finished);
        const int result = RunSteps(dialog, {
            [&] { dialog.ButtonPressed("BUTTON_MINIMIZE"); },
            [&] { MenuItem(icon, "Close")->trigger(); },
            // Not reached: the Close ended the loop.
            [&] { QFAIL("the window went on after Close"); },
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!icon.trayIcon().isVisible());
    }

    // The exit button and a window ended before it ran still end exec().
    void execEndsWithTheDialog() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        QCOMPARE(RunSteps(*window.dialog, {}), int(QDialog::Accepted));
        DemoWindow ended;
        QVERIFY(ended.dialog != nullptr && ended.dialog->OnInitDialog());
        ended.dialog->done(QDialog::Accepted);
        QCOMPARE(ended.dialog->exec(), int(QDialog::Accepted));
        QVERIFY(!ended.dialog->isVisible());
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::WindowTrayTest)
#include "WindowTrayTest.moc"
