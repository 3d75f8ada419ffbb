// Drawing pieces shared by every screen: the four looks of a button, check boxes, option
// circles, the switch, list frames, captions and the small line icons.
#pragma once

#include "Layout.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <span>
#include <string_view>

namespace art {

// The four pictures a skinned screen cuts its buttons from.
enum class Look { Normal, Over, Down, Disabled };
inline constexpr Look kLooks[] = {Look::Normal, Look::Over, Look::Down, Look::Disabled};

// Whether a check box, option or switch is drawn ticked.
enum class Tick { Off, On };
// Whether a control is drawn usable or greyed.
enum class Usable { Yes, Greyed };

QString text(std::string_view s);

// A blank picture of the given size, ready for a painter with antialiasing on.
QImage blankImage(QSize size, const QColor& fill);
void beginPainter(QPainter& p, QImage& image);

void drawCheckBox(QPainter& p, const QRect& r, Tick tick, Usable usable);
void drawOption(QPainter& p, const QRect& r, Tick tick, Usable usable);
void drawSwitch(QPainter& p, const QRectF& track, Tick tick, Usable usable);

// A text field frame drawn under an edit box the program places there.
void drawFieldFrame(QPainter& p, const QRect& field, Usable usable);

// A light card with a border, the ground the program's black texts are written on.
void drawCard(QPainter& p, const QRectF& r, qreal radius);

// A list view's ground as the program's list control will show it.
void drawListGround(QPainter& p, const QRect& r, std::span<const layout::Column> columns);

// A push button on a light card: primary (accent) or secondary (outlined).
enum class Emphasis { Primary, Secondary };
void drawCardButton(QPainter& p, const QRect& r, const QString& caption, Look look, Emphasis emphasis);

// Text helpers: one line, clipped to its rectangle.
void drawText(QPainter& p, const QRectF& r, const QString& s, qreal px, bool bold, const QColor& colour,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);

// Small line icons, drawn in a square.
enum class Icon { Magnifier, Ban, Sliders, Clock, Restore, Info, Question, Wrench, Shield, Close, Minimize };
void drawIcon(QPainter& p, Icon icon, const QRectF& square, const QColor& colour, qreal width = 1.6);

// The product mark: a rounded shield with amber stripes.
void drawLogo(QPainter& p, const QRectF& square, Usable usable = Usable::Yes);

} // namespace art
