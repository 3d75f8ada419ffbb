// The pictures of the skin, each under the file name the skin definition gives it.
#pragma once

#include "Painting.h"

#include <QImage>
#include <QPainterPath>
#include <QString>

#include <vector>

namespace art {

enum class FileKind { Gif, Bmp };

struct NamedImage {
    QString fileName;
    QImage image;
    FileKind kind;
    // Pictures of one family are cut into one another (the looks of one screen): they are
    // encoded with one shared palette so that their common pixels stay identical.
    QString family;
};

// Main window: the four full-window pictures and the mask.
QPainterPath windowOutline();
QImage mainWindowImage(Look look);
QImage mainWindowMask();
std::vector<NamedImage> mainWindowArt();

// The seven panels shown in the middle of the main window.
std::vector<NamedImage> panelArt();

// The four screens of the scan-and-repair window.
std::vector<NamedImage> summaryArt();

// Everything above, in one list.
std::vector<NamedImage> allArt();

} // namespace art
