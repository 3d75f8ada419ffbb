// The pictures of the skin, each under the file name the skin definition gives it.
#pragma once

#include "Painting.h"

#include <QImage>
#include <QPainterPath>
#include <QString>

#include <vector>

namespace art {

enum class FileKind { Gif, Bmp, AnimatedGif };

// The built-in skins: the shipped one, and the full one that also places the controls the
// shipped definition leaves out.
enum class Variant { Shipped, Full };

struct NamedImage {
    QString fileName;
    QImage image;
    FileKind kind;
    // Pictures of one family are cut into one another (the looks of one screen): they are
    // encoded with one shared palette so that their common pixels stay identical.
    QString family;
    // AnimatedGif only: the frames, shown in turn and looping; `image` is the first.
    std::vector<QImage> frames = {};
};

// Main window: the four full-window pictures and the mask.
QPainterPath windowOutline();
QImage mainWindowImage(Look look);
QImage mainWindowMask();
std::vector<NamedImage> mainWindowArt();

// The seven panels shown in the middle of the main window.
std::vector<NamedImage> panelArt(Variant variant);

// The four screens of the scan-and-repair window.
std::vector<NamedImage> summaryArt(Variant variant);

// The scan screen's animation: a magnifier sweeping over registry rows, the size of the
// [SCANSCREENANIMATION] rectangle, as frames shown kAnimationFrameDelayCs apart.
inline constexpr int kAnimationFrameDelayCs = 6;
std::vector<QImage> scanAnimationFrames();

// Everything above, in one list.
std::vector<NamedImage> allArt(Variant variant);

} // namespace art
