// CSkinText: a text label of a skinned screen. It paints the piece of the screen's normal
// image it covers, then its text in its own font and colour at the top left, one line per
// line break and no wrapping, so that the text seems written on the background.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
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

    unsigned long Colour() const { return m_colour; }
    void SetColour(unsigned long colour);
    void SetBackground(SkinImage background);
    const SkinImage& Background() const { return m_background; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string m_name;
    int m_index = 0;
    QString m_text;
    unsigned long m_colour = 0;
    SkinImage m_background;
};

}  // namespace brindle::skin
