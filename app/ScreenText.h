// Text between the machine's ANSI code page, in which registry data and paths arrive, and
// the screen.
#pragma once

#include <QString>

#include <string>

#include "platform/CodePage.h"

namespace brindle {

inline QString ScreenText(const CodePage& codePage, const std::string& ansi) {
    return QString::fromStdU16String(codePage.toUtf16(ansi));
}

inline std::string AnsiText(const CodePage& codePage, const QString& text) {
    return codePage.toAnsi(text.toStdU16String());
}

}  // namespace brindle
