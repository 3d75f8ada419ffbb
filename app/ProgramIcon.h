// The program's icon, painted in code so that the tray, the windows and the About dialog
// share one mark without an image file to ship or lose.
#pragma once

#include <QIcon>

namespace brindle {

// A deep teal rounded square with a white bold "B", at 16, 32 and 48 pixels; each size
// is painted for itself so that the small ones stay sharp instead of being scaled down.
QIcon ProgramIcon();

}  // namespace brindle
