#include "skin/SkinText.h"

#include <QEvent>
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

const QString kEllipsis = QStringLiteral("\u2026");

// Where a line may end: after a space, and after a path separator, so that a long path
// or registry key wraps and is cut between its folders.
bool BreaksAfter(QChar c) { return c == u' ' || c == u'\\' || c == u'/'; }

// The pieces of `paragraph` between break opportunities, each with its break character.
QStringList Words(const QString& paragraph) {
    QStringList words;
    qsizetype start = 0;
    for (qsizetype i = 0; i < paragraph.size(); ++i) {
        if (BreaksAfter(paragraph[i])) {
            words << paragraph.mid(start, i + 1 - start);
            start = i + 1;
        }
    }
    if (start < paragraph.size() || words.isEmpty()) words << paragraph.mid(start);
    return words;
}

int Advance(const QFontMetrics& metrics, const QString& text) {
    // A space that ends a line takes no room on it.
    QString shown = text;
    while (shown.endsWith(u' ')) shown.chop(1);
    return metrics.horizontalAdvance(shown);
}

// How many characters of `text` fit in `width`, never splitting a surrogate pair; at least
// one character, so that wrapping always moves on.
qsizetype FittingPrefix(const QFontMetrics& metrics, const QString& text, int width) {
    qsizetype fit = 0;
    for (qsizetype n = 1; n <= text.size(); ++n) {
        if (n < text.size() && text[n - 1].isHighSurrogate()) continue;
        if (metrics.horizontalAdvance(text.left(n)) > width) break;
        fit = n;
    }
    if (fit == 0) fit = text.size() > 1 && text[0].isHighSurrogate() ? 2 : 1;
    return std::min(fit, text.size());
}

// `paragraph` broken into lines no wider than `width`, each line as its words end.
QStringList Wrap(const QString& paragraph, const QFontMetrics& metrics, int width) {
    QStringList lines;
    QString line;
    for (QString word : Words(paragraph)) {
        if (line.isEmpty() || Advance(metrics, line + word) <= width) {
            line += word;
        } else {
            lines << line;
            line = word;
        }
        // A word wider than the whole line is split between characters.
        while (Advance(metrics, line) > width && line.size() > 1) {
            const qsizetype fit = FittingPrefix(metrics, line, width);
            if (fit >= line.size()) break;
            lines << line.left(fit);
            line = line.mid(fit);
        }
    }
    lines << line;
    return lines;
}

// `rest` shortened to end with "…" within `width`: after its last whole word that leaves
// room for the mark, else after its last whole character that does.
QString Elide(const QString& rest, const QFontMetrics& metrics, int width) {
    const QStringList words = Words(rest);
    QString kept;
    QString best;
    for (const QString& word : words) {
        kept += word;
        QString candidate = kept;
        while (candidate.endsWith(u' ')) candidate.chop(1);
        if (metrics.horizontalAdvance(candidate + kEllipsis) > width) break;
        best = candidate;
    }
    if (!best.isEmpty()) return best + kEllipsis;
    for (qsizetype n = rest.size(); n > 0; --n) {
        if (n < rest.size() && rest[n - 1].isHighSurrogate()) continue;
        if (metrics.horizontalAdvance(rest.left(n) + kEllipsis) <= width) return rest.left(n) + kEllipsis;
    }
    return kEllipsis;
}

}  // namespace

QStringList WrapLine(const QString& line, const QFontMetrics& metrics, int width) {
    return Wrap(line, metrics, std::max(1, width));
}

FittedText FitText(const QString& text, const QFontMetrics& metrics, int width, int maxLines) {
    maxLines = std::max(1, maxLines);
    width = std::max(1, width);
    const QStringList paragraphs = text.split(u'\n');
    // Lines are wrapped only where the label has room for more lines than the text has
    // breaks; a one-line label shows its first line, cut.
    const bool wrap = maxLines > paragraphs.size();
    FittedText fitted;
    for (qsizetype p = 0; p < paragraphs.size(); ++p) {
        const QStringList lines = wrap ? Wrap(paragraphs[p], metrics, width) : QStringList{paragraphs[p]};
        for (qsizetype l = 0; l < lines.size(); ++l) {
            const bool last = l + 1 == lines.size() && p + 1 == paragraphs.size();
            const bool fits = Advance(metrics, lines[l]) <= width;
            if (fitted.lines.size() + 1 < maxLines || (last && fits)) {
                if (!fits) {
                    fitted.lines << Elide(lines[l], metrics, width);
                    fitted.cut = true;
                } else {
                    QString line = lines[l];
                    while (line.endsWith(u' ')) line.chop(1);
                    fitted.lines << line;
                }
                continue;
            }
            // The last line there is room for: what is left of this paragraph, cut.
            fitted.lines << Elide(lines.mid(l).join(QString()), metrics, width);
            fitted.cut = true;
            return fitted;
        }
    }
    return fitted;
}

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
    Refit();
    update();
}

FittedText CSkinText::Shown() const {
    // Only the part of the label inside its screen is seen: a label that runs past the
    // screen's bottom has room for the lines above that edge alone.
    QRect seen = rect();
    if (const QWidget* screen = parentWidget()) seen &= screen->rect().translated(-pos());
    const QFontMetrics metrics(font());
    const int lines = std::max(1, seen.height() / std::max(1, metrics.lineSpacing()));
    return FitText(m_text, metrics, width(), lines);
}

void CSkinText::Refit() {
    // The whole text is at hand under the pointer only while the label cuts it.
    setToolTip(Shown().cut ? m_text : QString());
}

void CSkinText::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Refit();
}

void CSkinText::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    Refit();
}

void CSkinText::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) Refit();
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
    // Top left, a line at a time. The text is shown as it is: an "&" in a file name is not
    // taken for a keyboard mnemonic.
    const int step = painter.fontMetrics().lineSpacing();
    const FittedText shown = Shown();
    for (qsizetype i = 0; i < shown.lines.size(); ++i) {
        const int top = static_cast<int>(i) * step;
        const QRect line(0, top, width(), std::max(step, height() - top));
        painter.drawText(line, Qt::AlignLeft | Qt::AlignTop, shown.lines[i]);
    }
}

}  // namespace brindle::skin
