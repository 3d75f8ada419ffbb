// The program's icon: the product mark the skin's pictures carry (resources/art/Logo.h),
// painted in code so that the window, the tray, the message boxes and the dialogs show the
// same shield as the window's title and its About page, without an image file to ship or
// lose.
#pragma once

#include <QIcon>

namespace brindle {

// The amber shield with its dark stripes, at 16, 22, 32, 48 and 64 pixels; each size is
// painted for itself so that the small ones stay sharp instead of being scaled down.
QIcon ProgramIcon();

}  // namespace brindle
