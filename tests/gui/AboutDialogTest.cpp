// The About dialog: its texts, the version the build was made as, and that nothing in it
// is cut off.
#include <QLabel>
#include <QRegularExpression>
#include <QtTest>

#include "app/AboutDialog.h"

namespace brindle {

class AboutDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsNameVersionAndDescription() {
        AboutDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("About Brindle"));
        QVERIFY(!dialog.windowIcon().isNull());
        // The build's version arrives as digits, not as an empty or unexpanded variable.
        QVERIFY2(QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(ProgramVersion()).hasMatch(),
                 qPrintable(ProgramVersion()));
        QCOMPARE(dialog.findChild<QLabel*>("nameLabel")->text(), QString("Brindle"));
        QCOMPARE(dialog.findChild<QLabel*>("versionLabel")->text(), "Version " + ProgramVersion());
        QCOMPARE(dialog.findChild<QLabel*>("descriptionLabel")->text(), AboutDescription());
        QVERIFY(!dialog.findChild<QLabel*>("iconLabel")->pixmap().isNull());
    }

    void everyTextFitsItsLabel() {
        AboutDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            QVERIFY2(label->width() >= label->sizeHint().width() && label->height() >= label->sizeHint().height(),
                     qPrintable(label->objectName()));
            QVERIFY2(dialog.rect().contains(label->geometry()), qPrintable(label->objectName()));
        }
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::AboutDialogTest)
#include "AboutDialogTest.moc"
