// The window's messages by meaning: news with the information icon as it is written, a
// failure with the error icon and a caution with the exclamation icon, each of those two
// begun with a capital letter.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "app/CMainSkin.h"

namespace brindle {

namespace {

// The window with its three kinds of message in reach.
class Speaker : public CMainSkin {
public:
    using CMainSkin::caution;
    using CMainSkin::tell;
    using CMainSkin::warn;
};

struct Seen {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
};

// What the message box that `speak` opens shows; the box is closed at once.
template <typename Speak>
Seen Shown(Speak speak) {
    Seen seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        seen = Seen{box->icon(), box->windowTitle(), box->text()};
        box->accept();
    });
    speak();
    return seen;
}

}  // namespace

class MainSkinMessagesTest : public QObject {
    Q_OBJECT

private slots:
    void eachKindOfMessageHasItsIcon_data() {
        QTest::addColumn<int>("kind");  // 0 tell, 1 warn, 2 caution
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("shown");
        QTest::newRow("news as written") << 0 << "nothing to do." << int(QMessageBox::Information) << "nothing to do.";
        QTest::newRow("a failure") << 1 << "cannot write the backup." << int(QMessageBox::Critical)
                                   << "Cannot write the backup.";
        QTest::newRow("a caution") << 2 << "no category is ticked." << int(QMessageBox::Warning)
                                   << "No category is ticked.";
        QTest::newRow("a caution already capital") << 2 << "Wine is running." << int(QMessageBox::Warning)
                                                   << "Wine is running.";
    }
    void eachKindOfMessageHasItsIcon() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(int, icon);
        QFETCH(QString, shown);
        Speaker window;
        const std::string message = text.toStdString();
        const Seen seen = Shown([&] {
            if (kind == 0) window.tell("Brindle", message);
            if (kind == 1) window.warn("Brindle", message);
            if (kind == 2) window.caution("Brindle", message);
        });
        QCOMPARE(int(seen.icon), icon);
        QCOMPARE(seen.caption, QStringLiteral("Brindle"));
        QCOMPARE(seen.text, shown);
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::MainSkinMessagesTest)
#include "MainSkinMessagesTest.moc"
