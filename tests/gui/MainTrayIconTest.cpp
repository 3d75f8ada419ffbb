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

    void menuItemsAskForTheirCommand_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("shows");
        QTest::addColumn<int>("closes");
        QTest::newRow("Show") << 0 << 1 << 0;
        QTest::newRow("Close") << 2 << 0 << 1;
    }
    void menuItemsAskForTheirCommand() {
        QFETCH(int, item);
        MainTrayIcon tray(ProgramIcon(), nullptr);
        QSignalSpy shows(&tray, &MainTrayIcon::showRequested);
        QSignalSpy closes(&tray, &MainTrayIcon::closeRequested);
        tray.menu().actions()[item]->trigger();
        QTEST(int(shows.count()), "shows");
        QTEST(int(closes.count()), "closes");
    }

    void onlyADoubleClickShows_data() {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<int>("shows");
        QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << 1;
        QTest::newRow("single click") << QSystemTrayIcon::Trigger << 0;
        QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << 0;
        QTest::newRow("menu asked for") << QSystemTrayIcon::Context << 0;
    }
    void onlyADoubleClickShows() {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        MainTrayIcon tray(ProgramIcon(), nullptr);
        QSignalSpy shows(&tray, &MainTrayIcon::showRequested);
        QSignalSpy closes(&tray, &MainTrayIcon::closeRequested);
        emit tray.trayIcon().activated(reason);
        QTEST(int(shows.count()), "shows");
        QCOMPARE(closes.count(), 0);
    }

    // Each size is painted, not scaled: a teal square with white in it and clear corners.
    void programIconIsPaintedAtEachSize_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("16") << 16;
        QTest::newRow("32") << 32;
        QTest::newRow("48") << 48;
    }
    void programIconIsPaintedAtEachSize() {
        QFETCH(int, size);
        const QIcon icon = ProgramIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));
        const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(size, size));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        const QColor side = image.pixelColor(2, size / 2);
        QVERIFY2(side.alpha() == 255 && side.green() > side.red() + 40 && side.blue() > side.red() + 40,
                 qPrintable(side.name(QColor::HexArgb)));
        int white = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) white += image.pixelColor(x, y).lightness() > 240 ? 1 : 0;
        QVERIFY2(white >= size * size / 10, qPrintable(QString::number(white)));
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::MainTrayIconTest)
#include "MainTrayIconTest.moc"
