// A message box opens over the window it speaks for, centred on what the window shows,
// and answers with the button pressed.
#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include "app/CentredMessageBox.h"

namespace brindle {

class CentredMessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void theBoxStandsInTheMiddleOfItsWindow() {
        QWidget window;
        window.setGeometry(300, 200, 600, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QPoint centre;
        QTimer::singleShot(0, [&centre] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            centre = box->geometry().center();
            box->button(QMessageBox::Cancel)->click();
        });
        const auto answer = ShowMessage(&window, QMessageBox::Warning, QStringLiteral("Brindle"),
                                        QStringLiteral("Are You Sure"), QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(answer, QMessageBox::Cancel);
        QVERIFY2((centre - window.geometry().center()).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("box centre %1,%2").arg(centre.x()).arg(centre.y())));
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::CentredMessageBoxTest)
#include "CentredMessageBoxTest.moc"
