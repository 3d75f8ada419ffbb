// The tray icon's menu and what its clicks ask of the window, and the painted program icon.
#include <QAction>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

#include "app/MainTrayIcon.h"
#include "app/ProgramIcon.h"

namespace brindle {

class MainTrayIconTest : public QObject {
    Q_OBJECT

private slots:
    void offersShowASeparatorAndClose() {
        MainTrayIcon tray(ProgramIcon(), nullptr);
        const QList<QAction*> actions = tray.menu().actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[0]->text(), QString("Show"));
        QVERIFY(actions[1]->isSeparator());
        QCOMPARE(actions[2]->text(), QString("Close"));
        QCOMPARE(tray.trayIcon().contextMenu(), &tray.menu());
        QCOMPARE(tray.trayIcon().toolTip(), QString("Brindle"));
        QCOMPARE(tray.trayIcon().isVisible(), MainTrayIcon::available());
    }

    // The menu's items and the icon's clicks: "Show", a click and a double-click show (a
    // notification area that speaks D-Bus never reports a double-click), only "Close"
    // closes.
    void eachWayInAsksForItsCommand_data() {
        QTest::addColumn<int>("item");  // -1: a click on the icon instead
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<int>("shows");
        QTest::addColumn<int>("closes");
        QTest::newRow("Show") << 0 << QSystemTrayIcon::Unknown << 1 << 0;
        QTest::newRow("Close") << 2 << QSystemTrayIcon::Unknown << 0 << 1;
        QTest::newRow("double click") << -1 << QSystemTrayIcon::DoubleClick << 1 << 0;
        QTest::newRow("single click") << -1 << QSystemTrayIcon::Trigger << 1 << 0;
        QTest::newRow("middle click") << -1 << QSystemTrayIcon::MiddleClick << 0 << 0;
        QTest::newRow("menu asked for") << -1 << QSystemTrayIcon::Context << 0 << 0;
    }
    void eachWayInAsksForItsCommand() {
        QFETCH(int, item);
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        MainTrayIcon tray(ProgramIcon(), nullptr);
        QSignalSpy shows(&tray, &MainTrayIcon::showRequested);
        QSignalSpy closes(&tray, &MainTrayIcon::closeRequested);
        if (item >= 0) {
            tray.menu().actions()[item]->trigger();
        } else {
            emit tray.trayIcon().activated(reason);
        }
        QTEST(int(shows.count()), "shows");
        QTEST(int(closes.count()), "closes");
    }

    // Each size is painted for itself, with clear corners around the mark.
    void programIconIsPaintedAtEachSize() {
        const QIcon icon = ProgramIcon();
        for (int size : {16, 32, 48}) {
            QVERIFY(icon.availableSizes().contains(QSize(size, size)));
            const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
        }
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::MainTrayIconTest)
#include "MainTrayIconTest.moc"
