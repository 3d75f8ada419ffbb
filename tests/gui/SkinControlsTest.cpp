// The skinned controls on a screen: which picture a button shows, hovering, clicks and
// the screen's commands, the element set's operations by name, labels, edit boxes and the
// check-box list.
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QTimer>

#include <climits>
#include <memory>

#include "gui/support/SkinTestSupport.h"
#include "skin/SkinButton.h"
#include "skin/SkinElementSet.h"
#include "skin/SkinList.h"
#include "skin/SkinText.h"

using namespace brindle::skin;
using brindle::skin::test::RecordingScreen;

namespace {

const QColor kNormal(200, 0, 0);
const QColor kOver(0, 200, 0);
const QColor kDown(0, 0, 200);
const QColor kDisabled(200, 200, 0);

ButtonLine Button(const char* name, int left, int top, bool checkBox = false) {
    return ButtonLine{name, SkinRect{left, top, left + 20, top + 20}, checkBox};
}

TextLine Text(const char* name, SkinRect rect, int height = -12, unsigned long colour = 0, const char* initial = "") {
    TextLine line;
    line.name = name;
    line.fontFace = "Arial";
    line.bold = true;
    line.height = height;
    line.colour = colour;
    line.rect = rect;
    line.initialText = initial;
    return line;
}

// A 200×100 screen whose four images are solid colours, so a button's picture shows its state.
void PaintScreenImages(RecordingScreen& screen) {
    screen.NormalImage() = test::SolidSkinImage(200, 100, kNormal);
    screen.OverImage() = test::SolidSkinImage(200, 100, kOver);
    screen.DownImage() = test::SolidSkinImage(200, 100, kDown);
    screen.DisabledImage() = test::SolidSkinImage(200, 100, kDisabled);
}

QColor Shown(QWidget* widget) {
    return widget->grab().toImage().pixelColor(widget->width() / 2, widget->height() / 2);
}

QPoint Centre(const QWidget* widget) {
    return widget->geometry().center();
}

}  // namespace

Q_DECLARE_METATYPE(ButtonPicture)

class SkinControlsTest : public QObject {
    Q_OBJECT

private slots:
    void pictureSelection_data() {
        QTest::addColumn<bool>("checkBox");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("hovering");
        QTest::addColumn<bool>("pressed");
        QTest::addColumn<bool>("disabled");
        QTest::addColumn<ButtonPicture>("picture");
        using P = ButtonPicture;
        // Push buttons, every combination: checked, hovering, pressed, disabled.
        QTest::newRow("push ----") << false << false << false << false << false << P::Normal;
        QTest::newRow("push ---d") << false << false << false << false << true << P::Disabled;
        QTest::newRow("push --p-") << false << false << false << true << false << P::Down;
        QTest::newRow("push --pd") << false << false << false << true << true << P::Down;
        QTest::newRow("push -h--") << false << false << true << false << false << P::Over;
        QTest::newRow("push -h-d") << false << false << true << false << true << P::Over;
        QTest::newRow("push -hp-") << false << false << true << true << false << P::Down;
        QTest::newRow("push -hpd") << false << false << true << true << true << P::Down;
        QTest::newRow("push c---") << false << true << false << false << false << P::Down;
        QTest::newRow("push c--d") << false << true << false << false << true << P::Down;
        QTest::newRow("push c-p-") << false << true << false << true << false << P::Down;
        QTest::newRow("push c-pd") << false << true << false << true << true << P::Down;
        QTest::newRow("push ch--") << false << true << true << false << false << P::Over;
        QTest::newRow("push ch-d") << false << true << true << false << true << P::Over;
        QTest::newRow("push chp-") << false << true << true << true << false << P::Down;
        QTest::newRow("push chpd") << false << true << true << true << true << P::Down;
        // A check box shows its state alone: hovering, pressing and disabling change nothing.
        for (int other = 0; other < 8; ++other) {
            const bool hovering = other & 1, pressed = other & 2, disabled = other & 4;
            for (const bool checked : {false, true}) {
                const QByteArray name = QByteArray("check box ") + (checked ? "c" : "-") + (hovering ? "h" : "-") +
                                        (pressed ? "p" : "-") + (disabled ? "d" : "-");
                QTest::newRow(name.constData()) << true << checked << hovering << pressed << disabled
                                                << (checked ? P::Down : P::Normal);
            }
        }
    }
    void pictureSelection() {
        QFETCH(bool, checkBox);
        QFETCH(bool, checked);
        QFETCH(bool, hovering);
        QFETCH(bool, pressed);
        QFETCH(bool, disabled);
        QFETCH(ButtonPicture, picture);
        QCOMPARE(SelectButtonPicture(ButtonState{checkBox, checked, hovering, pressed, disabled}), picture);
    }

    void buttonShowsThePictureOfItsState() {
        RecordingScreen screen;
        PaintScreenImages(screen);
        CSkinButton* push = screen.AddButton(Button("PUSH", 10, 10), 0, &screen);
        CSkinButton* box = screen.AddButton(Button("BOX", 40, 10, true), 1, &screen);
        QCOMPARE(push->size(), QSize(20, 20));
        QCOMPARE(push->pos(), QPoint(10, 10));
        QCOMPARE(Shown(push), kNormal);
        screen.SetChecked("PUSH", true);
        QCOMPARE(Shown(push), kDown);
        screen.SetChecked("PUSH", false);
        screen.Enable("PUSH", false);
        QCOMPARE(Shown(push), kDisabled);
        // A disabled check box still shows whether it is on.
        screen.Enable("BOX", false);
        QCOMPARE(Shown(box), kNormal);
        screen.SetChecked("BOX", true);
        QCOMPARE(Shown(box), kDown);
    }

    void buttonsTakeTheirPicturesAtTheirRectangle() {
        RecordingScreen screen;
        QImage gradient(200, 100, QImage::Format_RGB32);
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 200; ++x) gradient.setPixel(x, y, qRgb(x, y, 0));
        }
        screen.NormalImage() = SkinImage(gradient);
        screen.DownImage() = SkinImage(gradient.mirrored(true, false));
        CSkinButton* button = screen.AddButton(Button("B", 30, 40), 0, &screen);
        QCOMPARE(button->Picture(ButtonPicture::Normal).size(), QSize(20, 20));
        QCOMPARE(button->Picture(ButtonPicture::Normal).image().pixel(0, 0), qRgb(30, 40, 0));
        QCOMPARE(button->Picture(ButtonPicture::Normal).image().pixel(19, 19), qRgb(49, 59, 0));
        QCOMPARE(button->Picture(ButtonPicture::Down).image().pixel(0, 0), qRgb(169, 40, 0));
        // The screen has no over or disabled image: those pictures are empty.
        QVERIFY(button->Picture(ButtonPicture::Over).isEmpty());
        QVERIFY(button->Picture(ButtonPicture::Disabled).isEmpty());
    }

    void hoverMovesFromOneButtonToItsNeighbour() {
        RecordingScreen screen;
        PaintScreenImages(screen);
        CSkinButton* first = screen.AddButton(Button("FIRST", 10, 10), 0, &screen);
        CSkinButton* second = screen.AddButton(Button("SECOND", 30, 10), 1, &screen);  // touching
        QVERIFY(test::ShowActive(screen));

        QTest::mouseMove(&screen, Centre(first));
        QTRY_VERIFY(first->IsHovering());
        QCOMPARE(Shown(first), kOver);
        QTest::mouseMove(&screen, Centre(second));
        QTRY_VERIFY(second->IsHovering());
        QVERIFY(!first->IsHovering());
        QCOMPARE(Shown(first), kNormal);
        QCOMPARE(Shown(second), kOver);
        QTest::mouseMove(&screen, QPoint(150, 80));  // the background
        QTRY_VERIFY(!second->IsHovering());
        QVERIFY(!first->IsHovering());
    }

    void losingTheFocusEndsTheHover() {
        RecordingScreen screen;
        PaintScreenImages(screen);
        CSkinButton* button = screen.AddButton(Button("BUTTON_MAIN", 10, 10), 0, &screen);
        CSkinEdit* edit = screen.AddEdit(Text("EDIT_SCAN_PERIOD", {100, 10, 130, 30}), 0, &screen);
        QVERIFY(test::ShowActive(screen));
        button->setFocus();
        QTest::mouseMove(&screen, Centre(button));
        QTRY_VERIFY(button->IsHovering());
        edit->setFocus();
        QTRY_VERIFY(!button->hasFocus());
        QVERIFY(!button->IsHovering());
        QCOMPARE(Shown(button), kNormal);
    }

    void clickReportsTheButtonToItsScreen() {
        RecordingScreen screen;
        PaintScreenImages(screen);
        screen.AddButton(Button("BUTTON_EXIT", 10, 10), 0, &screen);
        CSkinButton* scan = screen.AddButton(Button("BUTTON_SCAN", 40, 10), 1, &screen);
        QVERIFY(test::ShowActive(screen));
        QTest::mouseMove(&screen, Centre(scan));
        QTRY_VERIFY(scan->IsHovering());

        QTest::mouseClick(scan, Qt::LeftButton);
        QCOMPARE(screen.indexes, std::vector<int>{1});
        QCOMPARE(screen.commands, std::vector<std::string>{"BUTTON_SCAN"});
        QVERIFY(!scan->IsHovering());  // until the pointer moves again
        QTest::mouseMove(scan, QPoint(5, 5));
        QTRY_VERIFY(scan->IsHovering());
    }

    void otherClicksSendNothing() {
        RecordingScreen screen;
        PaintScreenImages(screen);
        CSkinButton* button = screen.AddButton(Button("BUTTON_REMOVE", 10, 10), 0, &screen);
        QVERIFY(test::ShowActive(screen));

        // Pressed inside, released outside.
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(button->isDown());
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(40, 10));
        QVERIFY(!button->isDown());
        // The right button.
        QTest::mouseClick(button, Qt::RightButton);
        // A disabled button.
        screen.Enable("BUTTON_REMOVE", false);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(screen.indexes.empty());
        QVERIFY(screen.commands.empty());
    }

    void clickNeverTogglesACheckBox() {
        RecordingScreen screen;
        PaintScreenImages(screen);
        CSkinButton* box = screen.AddButton(Button("BUTTON_COM", 10, 10, true), 0, &screen);
        QVERIFY(test::ShowActive(screen));
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(screen.commands, std::vector<std::string>{"BUTTON_COM"});
        QVERIFY(!box->IsChecked());
        QVERIFY(!box->isChecked());
        QCOMPARE(Shown(box), kNormal);
    }

    void buttonGivenItsScreenReportsThere() {
        RecordingScreen screen;
        QWidget holder;  // not a screen
        CSkinButton button("BUTTON_OK", 3, false, &holder, &screen);
        button.resize(20, 20);
        QVERIFY(test::ShowActive(holder));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(screen.indexes, std::vector<int>{3});
    }

    void setCheckedRepaintsOnlyOnAChange() {
        RecordingScreen screen;
        PaintScreenImages(screen);
        CSkinButton* box = screen.AddButton(Button("BUTTON_ALL", 10, 10, true), 0, &screen);
        const test::PaintCounter paints(box);
        QVERIFY(test::ShowActive(screen));
        QTRY_VERIFY(paints.count() > 0);
        QTest::qWait(50);
        const int settled = paints.count();

        screen.SetChecked("BUTTON_ALL", false);  // already off
        QTest::qWait(50);
        QCOMPARE(paints.count(), settled);
        screen.SetChecked("BUTTON_ALL", true);
        QTRY_VERIFY(paints.count() > settled);
        QTest::qWait(50);
        const int afterChange = paints.count();
        screen.SetChecked("BUTTON_ALL", true);  // already on
        QTest::qWait(50);
        QCOMPARE(paints.count(), afterChange);
    }

    void operationsByName() {
        RecordingScreen screen;
        screen.AddButton(Button("A", 0, 0), 0, &screen);
        CSkinButton* firstDup = screen.AddButton(Button("DUP", 20, 0, true), 1, &screen);
        CSkinButton* secondDup = screen.AddButton(Button("DUP", 40, 0, true), 2, &screen);
        CSkinButton* lower = screen.AddButton(Button("dup", 60, 0, true), 3, &screen);

        QVERIFY(!screen.IsChecked("MISSING"));
        screen.SetChecked("MISSING", true);
        screen.Enable("MISSING", false);
        screen.Hide("MISSING", true);

        screen.SetChecked("DUP", true);  // the first of that exact name only
        QVERIFY(firstDup->IsChecked());
        QVERIFY(!secondDup->IsChecked());
        QVERIFY(!lower->IsChecked());
        QVERIFY(screen.IsChecked("DUP"));
        QVERIFY(!screen.IsChecked("dup"));

        screen.Enable("A", false);
        QVERIFY(!screen.FindButton("A")->isEnabled());
        screen.EnableAll(true);
        for (CSkinButton* button : screen.Buttons()) QVERIFY(button->isEnabled());
        screen.EnableAll(false);
        for (CSkinButton* button : screen.Buttons()) QVERIFY(!button->isEnabled());

        screen.Hide("A", true);
        QVERIFY(screen.FindButton("A")->isHidden());
        screen.Hide("A", false);
        QVERIFY(!screen.FindButton("A")->isHidden());
    }

    void buttonNameByIndex_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");  // empty: none
        QTest::newRow("first") << 0 << "BUTTON_MAIN";
        QTest::newRow("after a left-out number") << 2 << "BUTTON_ABOUT";
        QTest::newRow("last") << 3 << "BUTTON_SCAN";
        QTest::newRow("the left-out number") << 1 << "";
        QTest::newRow("negative") << -1 << "";
        QTest::newRow("past the end") << 4 << "";
        QTest::newRow("largest") << INT_MAX << "";
        QTest::newRow("smallest") << INT_MIN << "";
    }
    void buttonNameByIndex() {
        QFETCH(int, index);
        QFETCH(QString, name);
        // As read from a section whose key 2 is empty: indexes 0, 2, 3.
        RecordingScreen screen;
        screen.AddButton(Button("BUTTON_MAIN", 0, 0), 0, &screen);
        screen.AddButton(Button("BUTTON_ABOUT", 20, 0), 2, &screen);
        screen.AddButton(Button("BUTTON_SCAN", 40, 0), 3, &screen);
        const std::optional<std::string> found = screen.ButtonNameByIndex(index);
        QCOMPARE(found.has_value(), !name.isEmpty());
        if (found) QCOMPARE(QString::fromStdString(*found), name);
    }

    void clickAfterALeftOutNumberRunsThatButtonsCommand() {
        RecordingScreen screen;
        PaintScreenImages(screen);
        screen.AddButton(Button("BUTTON_MAIN", 0, 0), 0, &screen);
        CSkinButton* about = screen.AddButton(Button("BUTTON_ABOUT", 20, 0), 2, &screen);
        screen.AddButton(Button("BUTTON_SCAN", 40, 0), 3, &screen);
        QVERIFY(test::ShowActive(screen));
        QTest::mouseClick(about, Qt::LeftButton);
        QCOMPARE(screen.commands, std::vector<std::string>{"BUTTON_ABOUT"});
    }

    void setTextSetsEveryLabelOfTheName() {
        RecordingScreen screen;
        CSkinText* first = screen.AddText(Text("PROGRESS_TEXT_COM", {0, 0, 90, 20}), 0, &screen);
        CSkinText* second = screen.AddText(Text("PROGRESS_TEXT_COM", {0, 30, 90, 50}), 1, &screen);
        CSkinText* other = screen.AddText(Text("PROGRESS_COUNT_COM", {100, 0, 190, 20}, -12, 0, "7"), 2, &screen);
        screen.SetText("PROGRESS_TEXT_COM", QStringLiteral("Scanning"));
        screen.SetText("MISSING", QStringLiteral("x"));
        QCOMPARE(first->Text(), QStringLiteral("Scanning"));
        QCOMPARE(second->Text(), QStringLiteral("Scanning"));
        QCOMPARE(other->Text(), QStringLiteral("7"));
    }

    void textLineBuildsTheLabel() {
        RecordingScreen screen;
        QImage gradient(200, 100, QImage::Format_RGB32);
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 200; ++x) gradient.setPixel(x, y, qRgb(x, y, 9));
        }
        screen.NormalImage() = SkinImage(gradient);
        TextLine line = Text("EDIT_BAKUP_COUNT", {50, 60, 150, 75}, -12, 0x00332211, "4");
        line.italic = true;
        CSkinText* label = screen.AddText(line, 5, &screen);
        QCOMPARE(label->Index(), 5);
        QCOMPARE(label->geometry(), QRect(50, 60, 100, 15));
        QCOMPARE(label->Text(), QStringLiteral("4"));
        QCOMPARE(label->Colour(), 0x00332211ul);
        QCOMPARE(label->Background().size(), QSize(100, 15));
        QCOMPARE(label->Background().image().pixel(0, 0), qRgb(50, 60, 9));
        QCOMPARE(label->font().pixelSize(), 12);
        QCOMPARE(label->font().weight(), QFont::Bold);
        QVERIFY(label->font().italic());
        QCOMPARE(label->font().family(), QStringLiteral("Arial"));
    }

    void skinFont_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<int>("pixelSize");  // 0: see cellHeight
        QTest::addColumn<int>("cellHeight");
        QTest::addColumn<int>("weight");
        QTest::newRow("-10 bold") << -10 << true << 10 << 0 << int(QFont::Bold);
        QTest::newRow("-12 regular") << -12 << false << 12 << 0 << int(QFont::Normal);
        QTest::newRow("absurd") << -1000000 << false << 4096 << 0 << int(QFont::Normal);
        QTest::newRow("positive: cell height") << 24 << false << 0 << 24 << int(QFont::Normal);
    }
    void skinFont() {
        QFETCH(int, height);
        QFETCH(bool, bold);
        QFETCH(int, pixelSize);
        QFETCH(int, cellHeight);
        QFETCH(int, weight);
        TextLine line = Text("T", {}, height);
        line.bold = bold;
        const QFont font = SkinFont(line, QApplication::font());
        QCOMPARE(int(font.weight()), weight);
        QVERIFY(!font.italic());
        if (pixelSize != 0) {
            QCOMPARE(font.pixelSize(), pixelSize);
        } else {
            // Matched through the face's proportions: within a pixel or two.
            QVERIFY2(qAbs(QFontMetrics(font).height() - cellHeight) <= 2,
                     qPrintable(QString::number(QFontMetrics(font).height())));
        }
    }

    void zeroHeightKeepsTheStartingSize() {
        const QFont base = QApplication::font();
        const QFont font = SkinFont(Text("T", {}, 0), base);
        QCOMPARE(font.pixelSize(), base.pixelSize());
        QCOMPARE(font.pointSizeF(), base.pointSizeF());
    }

    void colourValues_data() {
        QTest::addColumn<qulonglong>("value");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("255 is red") << qulonglong(255) << QColor(255, 0, 0);
        QTest::newRow("green") << qulonglong(0x00FF00) << QColor(0, 255, 0);
        QTest::newRow("blue in the third byte") << qulonglong(0xFF0000) << QColor(0, 0, 255);
        QTest::newRow("black") << qulonglong(0) << QColor(0, 0, 0);
        QTest::newRow("mixed") << qulonglong(0x123456) << QColor(0x56, 0x34, 0x12);
        QTest::newRow("high byte ignored") << qulonglong(0xFF000000) << QColor(0, 0, 0);
    }
    void colourValues() {
        QFETCH(qulonglong, value);
        QFETCH(QColor, colour);
        QCOMPARE(ColourFromColorRef(static_cast<unsigned long>(value)), colour);
    }

    void colour255DrawsPureRed() {
        RecordingScreen screen;
        screen.NormalImage() = test::SolidSkinImage(200, 100, Qt::white);
        CSkinText* label = screen.AddText(Text("TEXT", {0, 0, 120, 60}, -40, 255, "HH"), 0, &screen);
        const QImage shown = label->grab().toImage();
        QVERIFY(test::CountPixels(shown, qRgb(255, 0, 0)) > 20);
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QColor c = shown.pixelColor(x, y);
                QVERIFY2(c.blue() == c.green() && c.red() >= c.green(), "only red on white, with its blends");
            }
        }
    }

    void textStaysTopLeftALineAtEachBreak() {
        RecordingScreen screen;
        screen.NormalImage() = test::SolidSkinImage(200, 100, Qt::white);
        CSkinText* label = screen.AddText(Text("TEXT", {0, 0, 60, 100}, -16), 0, &screen);
        const QRgb white = qRgb(255, 255, 255);

        label->SetText(QStringLiteral("H"));
        const QRect one = test::PaintedArea(label->grab().toImage(), white);
        QVERIFY(!one.isEmpty());
        QVERIFY2(one.left() <= 3 && one.top() <= 8, "text starts at the top left");

        label->SetText(QStringLiteral("H\nH"));
        const QRect two = test::PaintedArea(label->grab().toImage(), white);
        QVERIFY(two.height() > one.height() * 3 / 2);
    }

    // A text wider than its label: shown whole when there is room for it on more lines,
    // else cut after a whole word (or character) and marked with "…"; never cut through a
    // letter at the label's edge.
    void textFitsItsLabel_data() {
        QTest::addColumn<int>("lines");       // how many lines of text the label is tall
        QTest::addColumn<QString>("widthOf");  // the label is as wide as this text, drawn
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        const QString ellipsis = QStringLiteral("\u2026");
        const QString sentence = QStringLiteral("Checking the shared files of every program");
        const QString firstLine = QStringLiteral("Checking the shared files");
        const QString path = QStringLiteral("C:\\Program Files\\Common Files\\Old\\oldshared.dll");
        QTest::newRow("fits on its line") << 1 << "Done" << "Done" << QStringList{"Done"};
        QTest::newRow("one line, cut after a word")
            << 1 << "Checking the shared" + ellipsis << sentence << QStringList{"Checking the shared" + ellipsis};
        QTest::newRow("one line, a key cut after a separator")
            << 1 << "HKEY_CLASSES_ROOT\\" + ellipsis << QStringLiteral("HKEY_CLASSES_ROOT\\CLSID\\{B1D0C001}")
            << QStringList{"HKEY_CLASSES_ROOT\\" + ellipsis};
        QTest::newRow("one line, one long word cut after a character")
            << 1 << "ABCDEFGHIJ" + ellipsis << "ABCDEFGHIJKLMNOPQRSTUVWXYZ" << QStringList{"ABCDEFGHIJ" + ellipsis};
        QTest::newRow("one line, the next line left out")
            << 1 << "Done" + ellipsis << "Done\nmore" << QStringList{"Done" + ellipsis};
        QTest::newRow("two lines, wrapped and whole")
            << 2 << firstLine << sentence << QStringList{firstLine, "of every program"};
        QTest::newRow("two lines, a path wrapped after a folder")
            << 2 << QStringLiteral("C:\\Program Files\\Common Files\\") << path
            << QStringList{QStringLiteral("C:\\Program Files\\Common Files\\"), QStringLiteral("Old\\oldshared.dll")};
        QTest::newRow("two lines, the second cut after a word")
            << 2 << firstLine << firstLine + " " + firstLine + " Checking"
            << QStringList{firstLine, "Checking the shared" + ellipsis};
    }
    void textFitsItsLabel() {
        QFETCH(int, lines);
        QFETCH(QString, widthOf);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        RecordingScreen screen;
        screen.resize(400, 200);
        screen.NormalImage() = test::SolidSkinImage(400, 200, Qt::white);
        CSkinText* label = screen.AddText(Text("TEXT", {0, 0, 10, 10}, -12), 0, &screen);
        // Sized from the font as this machine draws it, so that the cases do not hang on
        // its glyphs' exact widths.
        const QFontMetrics metrics(label->font());
        label->resize(metrics.horizontalAdvance(widthOf) + 1, lines * metrics.lineSpacing() + 2);
        label->SetText(text);

        const FittedText shown = label->Shown();
        QCOMPARE(shown.lines, expected);
        // In these cases a cut text ends with the mark, and only a cut one does.
        const bool cut = expected.last().endsWith(QChar(0x2026));
        QCOMPARE(shown.cut, cut);
        QCOMPARE(label->toolTip(), cut ? text : QString());
        for (const QString& line : shown.lines)
            QVERIFY2(metrics.horizontalAdvance(line) <= label->width(), qPrintable(line));
    }

    // The drawn pixels end before the label's edge: the last letter is whole and the mark
    // follows it.
    void aCutTextIsNeverClippedAtTheEdge() {
        RecordingScreen screen;
        screen.NormalImage() = test::SolidSkinImage(200, 100, Qt::white);
        CSkinText* label = screen.AddText(Text("TEXT", {0, 0, 90, 16}, -12), 0, &screen);
        label->SetText(QStringLiteral("HHHH HHHH HHHH HHHH HHHH HHHH"));
        QVERIFY(label->Shown().cut);
        QImage drawn = label->grab().toImage();
        const QRect painted = test::PaintedArea(drawn, qRgb(255, 255, 255));
        QVERIFY(!painted.isEmpty());
        QVERIFY2(painted.right() < label->width() - 1, "ink reaches the label's edge: a letter cut through");
    }

    // A label that runs past the bottom of its screen has room for the lines above that
    // edge only, as the main panel's status line does.
    void aLabelPastItsScreensEdgeCountsTheLinesSeen() {
        RecordingScreen screen;
        screen.resize(200, 40);
        screen.NormalImage() = test::SolidSkinImage(200, 40, Qt::white);
        CSkinText* label = screen.AddText(Text("TEXT", {0, 22, 120, 200}, -12), 0, &screen);
        label->SetText(QStringLiteral("Checking the shared files of every program installed"));
        QVERIFY(test::ShowActive(screen));
        const FittedText shown = label->Shown();
        QCOMPARE(shown.lines.size(), 1);
        QVERIFY(shown.cut);
        QCOMPARE(label->toolTip(), label->Text());
        // Given room, the whole text shows and the tooltip goes.
        label->resize(2000, 200);
        QVERIFY(!label->Shown().cut);
        QCOMPARE(label->toolTip(), QString());
    }

    void editBoxes() {
        RecordingScreen screen;
        CSkinEdit* edit = screen.AddEdit(Text("EDIT_SCAN_PERIOD", {110, 102, 126, 117}, -12, 0, "8"), 0, &screen);
        QCOMPARE(edit->geometry(), QRect(110, 102, 16, 15));
        QVERIFY(!edit->hasFrame());
        QCOMPARE(screen.GetEditText("EDIT_SCAN_PERIOD"), QStringLiteral("8"));
        QCOMPARE(screen.GetEditText("MISSING"), QString());

        QVERIFY(test::ShowActive(screen));
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("1a2-3 4"));
        QKeyEvent otherDigit(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u0664"));  // Arabic-Indic 4
        QApplication::sendEvent(edit, &otherDigit);
        QCOMPARE(screen.GetEditText("EDIT_SCAN_PERIOD"), QStringLiteral("81234"));
        screen.SetEditText("EDIT_SCAN_PERIOD", QStringLiteral("60"));
        QCOMPARE(edit->text(), QStringLiteral("60"));
    }

    void clearDeletesElementsAndImages() {
        RecordingScreen screen;
        PaintScreenImages(screen);
        const QPointer<CSkinButton> button = screen.AddButton(Button("B", 0, 0, true), 0, &screen);
        const QPointer<CSkinText> text = screen.AddText(Text("T", {0, 30, 50, 50}), 0, &screen);
        const QPointer<CSkinEdit> edit = screen.AddEdit(Text("E", {0, 60, 50, 80}), 0, &screen);
        screen.SetChecked("B", true);

        screen.Clear();
        QVERIFY(!screen.IsChecked("B"));
        QVERIFY(screen.Buttons().empty() && screen.Texts().empty() && screen.Edits().empty());
        QVERIFY(screen.NormalImage().isEmpty());
        QVERIFY(screen.DownImage().isEmpty());
        QVERIFY(button->isHidden());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(button.isNull() && text.isNull() && edit.isNull());
    }

    // A command that rebuilds the screen deletes the button whose click started it.
    void commandMayRebuildTheScreen() {
        RecordingScreen screen;
        PaintScreenImages(screen);
        const QPointer<CSkinButton> old = screen.AddButton(Button("BUTTON_REBUILD", 10, 10), 0, &screen);
        screen.onCommand = [&screen](const std::string&) {
            screen.Clear();
            PaintScreenImages(screen);
            screen.AddButton(Button("BUTTON_NEW", 10, 10), 0, &screen);
        };
        QVERIFY(test::ShowActive(screen));
        QTest::mouseClick(old.data(), Qt::LeftButton);
        QCOMPARE(screen.commands, std::vector<std::string>{"BUTTON_REBUILD"});
        QTRY_VERIFY(old.isNull());
        QCOMPARE(screen.ButtonNameByIndex(0), std::optional<std::string>("BUTTON_NEW"));
    }

    void elementsDeletedWithTheirParentAreForgotten() {
        SkinElementSet set;
        auto* parent = new QWidget;
        set.AddButton(Button("B", 0, 0, true), 0, parent);
        set.AddText(Text("T", {0, 0, 10, 10}), 0, parent);
        set.AddEdit(Text("E", {0, 0, 10, 10}), 0, parent);
        set.SetChecked("B", true);
        delete parent;
        QVERIFY(set.Buttons().empty() && set.Texts().empty() && set.Edits().empty());
        QVERIFY(!set.IsChecked("B"));
        QCOMPARE(set.GetEditText("E"), QString());
    }

    void listTakesItsColumnsFromTheLine() {
        QWidget panel;
        const ListLine line{SkinRect{0, 0, 349, 150}, {{"Delete", 40}, {"FileName", 259}}};
        CSkinList list(line, &panel);
        QCOMPARE(list.geometry(), QRect(0, 0, 349, 150));
        QCOMPARE(list.columnCount(), 2);
        QCOMPARE(list.horizontalHeaderItem(0)->text(), QStringLiteral("Delete"));
        QCOMPARE(list.horizontalHeaderItem(1)->text(), QStringLiteral("FileName"));
        // The title is never cut: 40 pixels cannot show "Delete".
        QVERIFY(list.columnWidth(0) > list.horizontalHeader()->fontMetrics().horizontalAdvance("Delete"));
        // The path column ends at the list's edge, with no sideways scrolling, and a long
        // path keeps its drive and file name.
        QVERIFY(list.columnWidth(0) + list.columnWidth(1) <= 349);
        QVERIFY(list.columnWidth(1) > 200);
        QCOMPARE(list.textElideMode(), Qt::ElideMiddle);
        QVERIFY(list.horizontalHeader()->stretchLastSection());
        QCOMPARE(list.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        QCOMPARE(list.horizontalHeader()->defaultAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        QVERIFY(list.showGrid());
        QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list.selectionMode(), QAbstractItemView::SingleSelection);

        const int row = list.AddRow({QString(), QStringLiteral("C:\\gone.dll"), QStringLiteral("dropped")});
        QCOMPARE(list.item(row, 1)->text(), QStringLiteral("C:\\gone.dll"));
        // A path cut at the column's edge can be read whole.
        QCOMPARE(list.item(row, 1)->toolTip(), QStringLiteral("C:\\gone.dll"));
        QVERIFY(!list.IsRowChecked(row));
        QVERIFY(list.item(row, 0)->flags() & Qt::ItemIsUserCheckable);
        QVERIFY(!(list.item(row, 1)->flags() & Qt::ItemIsUserCheckable));
        QVERIFY(!list.IsRowChecked(99));
    }

    void spaceTogglesTheSelectedRow() {
        QWidget panel;
        const ListLine line{SkinRect{0, 0, 349, 150}, {{"Delete", 40}, {"FileName", 259}}};
        CSkinList list(line, &panel);
        for (int i = 0; i < 3; ++i) list.AddRow({QString(), QStringLiteral("C:\\%1.dll").arg(i)}, true);
        list.setCurrentCell(1, 1);
        QTest::keyClick(&list, Qt::Key_Space);
        QVERIFY(list.IsRowChecked(0));
        QVERIFY(!list.IsRowChecked(1));
        QVERIFY(list.IsRowChecked(2));
        QTest::keyClick(&list, Qt::Key_Space);
        QVERIFY(list.IsRowChecked(1));
    }

    // The buttons under the rows tick or untick every row, also when a click on a title
    // has sorted them, and each row keeps its key.
    void tickButtonsTickOrUntickEveryRow_data() {
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<bool>("tick");
        QTest::newRow("tick all") << false << true;
        QTest::newRow("untick all") << false << false;
        QTest::newRow("tick all, sorted") << true << true;
        QTest::newRow("untick all, sorted") << true << false;
    }
    void tickButtonsTickOrUntickEveryRow() {
        QFETCH(bool, sorted);
        QFETCH(bool, tick);
        QWidget panel;
        panel.resize(360, 160);
        CSkinList list(ListLine{SkinRect{0, 0, 349, 150}, {{"Delete", 40}, {"FileName", 259}}}, &panel);
        const QStringList paths{"C:\\b.dll", "C:\\d.dll", "C:\\a.dll", "C:\\c.dll", "C:\\e.dll"};
        for (int i = 0; i < paths.size(); ++i) list.AddRow({QString(), paths[i]}, i % 2 == 0);
        if (sorted) {
            list.SetSortable(true);
            QTest::mouseClick(list.horizontalHeader()->viewport(), Qt::LeftButton, {},
                              QPoint(list.horizontalHeader()->sectionViewportPosition(1) + 10, 5));
            QCOMPARE(list.item(0, 1)->text(), QStringLiteral("C:\\a.dll"));
        }
        QVERIFY(test::ShowActive(panel));
        QToolButton* button = tick ? list.tickAllButton() : list.untickAllButton();
        QCOMPARE(button->text(), tick ? CSkinList::TickAllText() : CSkinList::UntickAllText());
        QTest::mouseClick(button, Qt::LeftButton);
        for (int row = 0; row < list.rowCount(); ++row) {
            QCOMPARE(list.IsRowChecked(row), tick);
            QCOMPARE(list.item(row, 1)->text(), paths[list.RowKey(row)]);
        }
    }

    // The buttons' row lies below the rows and the scroll bar: no row is ever under it, and
    // scrolled to its end the list shows its last row whole.
    void tickButtonsLeaveTheRowsInSight() {
        QWidget panel;
        panel.resize(360, 160);
        CSkinList list(ListLine{SkinRect{0, 0, 349, 150}, {{"Delete", 40}, {"FileName", 259}}}, &panel);
        QVERIFY(!list.tickAllButton()->isEnabled() && !list.untickAllButton()->isEnabled());
        for (int i = 0; i < 40; ++i) list.AddRow({QString(), QStringLiteral("C:\\%1.dll").arg(i)});
        QVERIFY(list.tickAllButton()->isEnabled() && list.untickAllButton()->isEnabled());
        QVERIFY(test::ShowActive(panel));

        const QRect bar(list.tickBar()->mapTo(&list, QPoint(0, 0)), list.tickBar()->size());
        const QRect rows = list.viewport()->geometry();
        QVERIFY(list.tickBar()->isVisible());
        QVERIFY(list.rect().contains(bar));
        QVERIFY2(bar.top() > rows.bottom(), "the buttons cover rows");
        QVERIFY(list.verticalScrollBar()->isVisible());
        const QRect scrollBar(list.verticalScrollBar()->mapTo(&list, QPoint(0, 0)), list.verticalScrollBar()->size());
        QVERIFY(!scrollBar.intersects(bar));
        QVERIFY(bar.height() >= list.tickAllButton()->sizeHint().height());

        list.scrollToBottom();
        const QRect last = list.visualItemRect(list.item(39, 1));
        QVERIFY2(last.bottom() < list.viewport()->height(), "the last row cannot be scrolled into sight");
        // Nothing to scroll sideways: the sideways scroll bar stays out of the buttons' way.
        QVERIFY(!list.horizontalScrollBar()->isVisible());

        list.RemoveAllRows();
        QVERIFY(!list.tickAllButton()->isEnabled());
    }

    // A path too long for one line of its column makes every row two lines tall, so that
    // it can go on after a folder; emptied, the list has rows of one line again.
    void longPathsGetTwoLineRows() {
        QWidget panel;
        panel.resize(360, 230);
        CSkinList list(ListLine{SkinRect{0, 0, 349, 219}, {{"Delete", 40}, {"Type", 100}, {"FileName", 209}}}, &panel);
        QVERIFY(test::ShowActive(panel));
        const int line = list.fontMetrics().lineSpacing();
        list.AddRow({QString(), "font", "C:\\a.ttf"});
        const int oneLine = list.rowHeight(0);
        QVERIFY(oneLine < 2 * line);
        list.AddRow({QString(), "SharedFile", "C:\\Program Files\\Common Files\\Old Application\\oldshared.dll"});
        QVERIFY(list.fontMetrics().horizontalAdvance(list.item(1, 2)->text()) > list.columnWidth(2));
        QCOMPARE(list.rowHeight(0), list.rowHeight(1));
        QVERIFY(list.rowHeight(1) >= 2 * line);
        list.RemoveAllRows();
        list.AddRow({QString(), "font", "C:\\a.ttf"});
        QCOMPARE(list.rowHeight(0), oneLine);
    }

    // Tab goes from the rows to the two buttons, in their order, and on out of the list.
    void tabReachesTheTickButtonsAfterTheRows() {
        QWidget panel;
        panel.resize(360, 200);
        CSkinList list(ListLine{SkinRect{0, 0, 349, 150}, {{"Delete", 40}, {"FileName", 259}}}, &panel);
        list.AddRow({QString(), QStringLiteral("C:\\a.dll")});
        auto* after = new QPushButton(QStringLiteral("after"), &panel);
        after->move(0, 160);
        QVERIFY(test::ShowActive(panel));
        list.setFocus();
        QVERIFY(list.hasFocus());
        QWidget* order[] = {list.tickAllButton(), list.untickAllButton(), after};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void listMenuTicksOrClearsEveryRow_data() {
        QTest::addColumn<bool>("keyboard");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("checked");
        QTest::newRow("pointer, select all") << false << CSkinList::SelectAllText() << true;
        QTest::newRow("pointer, deselect all") << false << CSkinList::DeselectAllText() << false;
        QTest::newRow("keyboard, select all") << true << CSkinList::SelectAllText() << true;
        QTest::newRow("keyboard, deselect all") << true << CSkinList::DeselectAllText() << false;
    }
    void listMenuTicksOrClearsEveryRow() {
        QFETCH(bool, keyboard);
        QFETCH(QString, command);
        QFETCH(bool, checked);
        QWidget panel;
        panel.resize(360, 160);
        CSkinList list(ListLine{SkinRect{0, 0, 349, 150}, {{"Delete", 40}, {"FileName", 259}}}, &panel);
        for (int i = 0; i < 4; ++i) list.AddRow({QString(), QStringLiteral("entry %1").arg(i)}, i % 2 == 0);
        list.setCurrentCell(2, 1);
        QVERIFY(test::ShowActive(panel));

        QStringList shownCommands;
        QPoint shownAt;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) return;
            shownAt = menu->pos();
            for (QAction* action : menu->actions()) {
                shownCommands << action->text();
                if (action->text() == command) menu->setActiveAction(action);
            }
            QTest::keyClick(menu, Qt::Key_Return);
        });
        const QPoint inside(30, 30);
        QContextMenuEvent event(keyboard ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse, inside,
                                list.viewport()->mapToGlobal(inside));
        QApplication::sendEvent(list.viewport(), &event);

        QCOMPARE(shownCommands, (QStringList{CSkinList::SelectAllText(), CSkinList::DeselectAllText()}));
        const QPoint expectedAt =
            keyboard ? list.viewport()->mapToGlobal(list.visualItemRect(list.item(2, 1)).topLeft() + QPoint(2, 14))
                     : list.viewport()->mapToGlobal(inside);
        QCOMPARE(shownAt, expectedAt);
        for (int row = 0; row < list.rowCount(); ++row) QCOMPARE(list.IsRowChecked(row), checked);
    }
};

QTEST_MAIN(SkinControlsTest)
#include "SkinControlsTest.moc"
