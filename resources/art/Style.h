// The look of the skin in one place: colours, corner radii, fonts and the window outline.
// Change a value here and run regenerate.sh; every screen takes its look from these names.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

namespace art::style {

// Type: a family Debian ships in fonts-dejavu-core, so every machine renders the same pixels.
inline const QString kFontFamily = QStringLiteral("DejaVu Sans");

// Frame: a deep slate blue, darker towards the bottom.
inline const QColor kFrameTop{0x22, 0x30, 0x48};
inline const QColor kFrameBottom{0x14, 0x1d, 0x2d};
inline const QColor kFrameEdge{0x0b, 0x11, 0x1c};
inline const QColor kHeaderTop{0x31, 0x45, 0x66};
inline const QColor kHeaderBottom{0x22, 0x31, 0x4b};
inline const QColor kHeaderLine{0x3b, 0x52, 0x77};
inline const QColor kRaised{0x2c, 0x3d, 0x5a};       // hovered things on the frame
inline const QColor kRaisedBorder{0x41, 0x58, 0x7e};
inline const QColor kSunken{0x17, 0x21, 0x33};       // pressed things on the frame

// Text on the frame.
inline const QColor kOnFrame{0xe8, 0xee, 0xf6};
inline const QColor kOnFrameMuted{0x97, 0xa6, 0xbc};
inline const QColor kOnFrameDisabled{0x5c, 0x68, 0x7b};

// Content: the light cards the program writes its black texts on.
inline const QColor kCard{0xf4, 0xf6, 0xf9};
inline const QColor kCardAlt{0xea, 0xee, 0xf3};      // footers and header rows
inline const QColor kCardBorder{0xc9, 0xd2, 0xde};
inline const QColor kField{0xff, 0xff, 0xff};
inline const QColor kFieldBorder{0x9a, 0xa6, 0xb8};
inline const QColor kInk{0x1b, 0x23, 0x31};
inline const QColor kInkMuted{0x5d, 0x69, 0x7c};
inline const QColor kInkDisabled{0xa4, 0xad, 0xba};
inline const QColor kControlBorder{0x7f, 0x8b, 0x9e};
inline const QColor kControlDisabled{0xc3, 0xca, 0xd4};

// The one accent: a warm amber, the colour of the brindle coat's light stripes.
inline const QColor kAccent{0xf2, 0xa3, 0x3a};
inline const QColor kAccentLight{0xf8, 0xc0, 0x6c};
inline const QColor kAccentDark{0xc7, 0x7c, 0x1a};
inline const QColor kAccentDeep{0x9e, 0x5f, 0x10};
inline const QColor kOnAccent{0x22, 0x1a, 0x0e};

// Close button hover: the usual warning red, so the close cross reads at once.
inline const QColor kDanger{0xd9, 0x4a, 0x4a};
inline const QColor kDangerDark{0xa8, 0x33, 0x33};

// Greyed controls on the frame.
inline const QColor kGreyFill{0x3a, 0x43, 0x52};
inline const QColor kGreyFillLight{0x4a, 0x53, 0x62};

// Corner radii.
inline constexpr qreal kWindowRadius = 26;
inline constexpr qreal kCardRadius = 10;
inline constexpr qreal kTabRadius = 8;
inline constexpr qreal kButtonRadius = 9;
inline constexpr qreal kCheckRadius = 2;

// Window outline: a rounded body with a raised title tab over its left part. The body runs
// to the right and bottom edges because the round scan button sits in that corner.
inline constexpr int kBodyLeft = 44;
inline constexpr int kBodyTop = 80;
inline constexpr int kTitleTabRight = 340;
inline constexpr int kTitleTabTop = 50;
inline constexpr int kTitleTabFillet = 16;
inline constexpr int kHeaderBandBottom = 128;

// Font sizes in pixels.
inline constexpr qreal kTitlePx = 27;
inline constexpr qreal kSubtitlePx = 11;
inline constexpr qreal kTabPx = 12.5;
inline constexpr qreal kPanelTitlePx = 13;
inline constexpr qreal kLabelPx = 10;
inline constexpr qreal kSmallPx = 9;
inline constexpr qreal kCaptionPx = 8;
inline constexpr qreal kSummaryLabelPx = 10.5;

inline QFont font(qreal pixelSize, bool bold)
{
    QFont f(kFontFamily);
    f.setPixelSize(qRound(pixelSize)); // whole pixels: hinting then gives crisp stems
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

} // namespace art::style
