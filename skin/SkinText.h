// CSkinText: a text label of a skinned screen. It paints the piece of the screen's normal
// image it covers, then its text in its own font and colour at the top left, so that the
// text seems written on the background. A line break starts a new line; a label with room
// for more lines than the text has breaks wraps long lines at spaces and path separators.
// What still does not fit is never cut through a letter: the last line that fits ends
// with "…" after the last whole word (or whole character, for one long word), and the
// label's tooltip then holds the whole text.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <string>

#include "skin/SkinImage.h"
#include "skin/definition/SkinLines.h"

namespace brindle::skin {

// A colour value of the form 0x00BBGGRR (red in the low byte), as skin lines write it.
QColor ColourFromColorRef(unsigned long colour);

// The font a text line asks for, built on `base` (a label's starting font): the line's
// face, weight 700 or 400, italic as the line was read, and its height. A negative height
// is the height of the characters themselves, which is what a pixel size means here; a
// positive one is the height of the whole character cell (characters plus the room above
// them), matched approximately; zero keeps the base size.
QFont SkinFont(const TextLine& line, const QFont& base);

// The lines of `text` as a label `width` pixels wide with room for `maxLines` lines shows
// them (at least one), and whether anything was left out.
struct FittedText {
    QStringList lines;
    bool cut = false;
};
FittedText FitText(const QString& text, const QFontMetrics& metrics, int width, int maxLines);
// One line of text broken into lines no wider than `width` where it can be (after spaces and
// path separators, else between characters); joined again they give the text back.
QStringList WrapLine(const QString& line, const QFontMetrics& metrics, int width);

class CSkinText : public QWidget {
    Q_OBJECT

public:
    // Starts with the application's default font and an empty text.
    CSkinText(std::string name, int index, QWidget* parent);

    const std::string& Name() const { return m_name; }
    int Index() const { return m_index; }

    const QString& Text() const { return m_text; }
    // Sets the text and repaints.
    void SetText(const QString& text);
    // The lines as drawn now, and whether the text had to be cut to fit.
    FittedText Shown() const;

    unsigned long Colour() const { return m_colour; }
    void SetColour(unsigned long colour);
    void SetBackground(SkinImage background);
    const SkinImage& Background() const { return m_background; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The tooltip follows what the label can show.
    void Refit();

    std::string m_name;
    int m_index = 0;
    QString m_text;
    unsigned long m_colour = 0;
    SkinImage m_background;
};

}  // namespace brindle::skin
