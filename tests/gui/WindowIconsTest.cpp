// One mark everywhere: the program's icon on each of its windows, the tray and the About
// dialog's picture, and the About dialog saying what the skin's About page says.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include "app/AboutDialog.h"
#include "app/CAddScheduleDialog.h"
#include "app/CentredMessageBox.h"
#include "app/MainTrayIcon.h"
#include "app/ProgramIcon.h"
#include "resources/art/AboutText.h"
#include "support/MemoryTaskScheduler.h"

namespace brindle {

namespace {

QImage Drawn(const QIcon& icon, int size) {
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The icon a message box opened through ShowMessage carries, read while it is up.
QIcon MessageBoxIcon() {
    QIcon shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        shown = box->windowIcon();
        box->accept();
    });
    ShowMessage(nullptr, QMessageBox::Information, QStringLiteral("Brindle"), QStringLiteral("Done."));
    return shown;
}

}  // namespace

class WindowIconsTest : public QObject {
    Q_OBJECT

private slots:
    void everyWindowCarriesTheProgramIcon_data() {
        QTest::addColumn<std::function<QIcon()>>("iconOf");
        QTest::newRow("about dialog") << std::function<QIcon()>([] { return AboutDialog().windowIcon(); });
        QTest::newRow("about dialog's picture") << std::function<QIcon()>([] {
            AboutDialog dialog;
            return QIcon(dialog.findChild<QLabel*>(QStringLiteral("iconLabel"))->pixmap());
        });
        QTest::newRow("add-schedule dialog") << std::function<QIcon()>([] {
            test::MemoryTaskScheduler scheduler;
            return CAddScheduleDialog(scheduler, "Brindle", ScheduledTask{}, [](const std::string&) {}).windowIcon();
        });
        QTest::newRow("message box") << std::function<QIcon()>(MessageBoxIcon);
        QTest::newRow("tray") << std::function<QIcon()>([] {
            MainTrayIcon tray(ProgramIcon(), nullptr);
            return tray.trayIcon().icon();
        });
    }
    void everyWindowCarriesTheProgramIcon() {
        QFETCH(std::function<QIcon()>, iconOf);
        const QIcon icon = iconOf();
        QVERIFY(!icon.isNull());
        // The About dialog's picture is the 48-pixel one; the others are looked at small,
        // where a stray default icon would differ most.
        const int size = icon.availableSizes().size() == 1 ? icon.availableSizes().first().width() : 16;
        QCOMPARE(Drawn(icon, size), Drawn(ProgramIcon(), size));
    }

    // The dialog opened from the context menu says what the skin's About page says.
    void aboutDialogSaysWhatTheAboutPageSays() {
        AboutDialog dialog;
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("nameLabel"))->text(), QString::fromUtf8(about::kName));
        const QStringList lines = dialog.findChild<QLabel*>(QStringLiteral("descriptionLabel"))->text().split(u'\n');
        QCOMPARE(lines.size(), qsizetype(std::size(about::kDescriptionLines)));
        for (qsizetype i = 0; i < lines.size(); ++i)
            QCOMPARE(lines[i], QString::fromUtf8(about::kDescriptionLines[i]));
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::WindowIconsTest)
#include "WindowIconsTest.moc"
