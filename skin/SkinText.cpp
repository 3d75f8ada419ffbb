#include "skin/SkinText.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace brindle::skin {

namespace {

// Far above any label's size; keeps a wrong height from asking the font system for
// characters of absurd size.
constexpr int kMaxFontPixels = 4096;

}  // namespace

QColor ColourFromColorRef(unsigned long colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

QFont SkinFont(const TextLine& line, const QFont& base) {
    QFont font(base);
    // The face is a request: the font system substitutes a metric-compatible face where
    // the named one is not installed ("Arial" is commonly served by Liberation Sans).
    if (!line.fontFace.empty()) font.setFamily(QString::fromStdString(line.fontFace));
    font.setWeight(line.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(line.italic);
    // Heights are in pixels (the screens are laid out in pixels). A negative height asks
    // for characters of that height, the em size, which is exactly a pixel size.
    if (line.height < 0) {
        font.setPixelSize(std::max(1, -std::max(line.height, -kMaxFontPixels)));
    } else if (line.height > 0) {
        // A positive height asks for the whole cell (ascent plus descent) to be that
        // tall; the em size that gives it is found from the face's own proportions.
        const int cell = std::min(line.height, kMaxFontPixels);
        QFont probe(font);
        probe.setPixelSize(cell);
        const int probeCell = QFontMetrics(probe).height();
        const int pixels = probeCell > 0 ? static_cast<int>(std::lround(double(cell) * cell / probeCell)) : cell;
        font.setPixelSize(std::max(1, pixels));
    }
    return font;
}

CSkinText::CSkinText(std::string name, int index, QWidget* parent)
    : QWidget(parent), m_name(std::move(name)), m_index(index) {
    setObjectName(QString::fromStdString(m_name));
}

void CSkinText::SetText(const QString& text) {
    m_text = text;
    update();
}

void CSkinText::SetColour(unsigned long colour) {
    m_colour = colour;
    update();
}

void CSkinText::SetBackground(SkinImage background) {
    m_background = std::move(background);
    update();
}

void CSkinText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawSkinImage(painter, m_background, 0, 0, width(), height());
    painter.setFont(font());
    painter.setPen(ColourFromColorRef(m_colour));
    // Top left, a line per line break, no wrapping. The text is shown as it is: an "&"
    // in a file name is not taken for a keyboard mnemonic.
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop, m_text);
}

}  // namespace brindle::skin
