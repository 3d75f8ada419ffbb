// Whose view of the machine a registry entry belongs to. A 64-bit Windows, and a 64-bit
// Wine prefix, shows its 32-bit programs a machine of their own: registry writes under
// HKLM\Software land below Wow6432Node, and C:\windows\system32 is syswow64 on disk. An
// entry is judged as a program of its own view would find its file.
#pragma once

#include <string_view>

namespace brindle {

enum class ProgramView {
    Native64,  // 64-bit programs of a 64-bit machine
    Native32,  // every program of a 32-bit machine
    Wow64,     // 32-bit programs of a 64-bit machine
};

// 64 or 32: how wide the programs of the view are.
constexpr int ViewBits(ProgramView view) { return view == ProgramView::Native64 ? 64 : 32; }
// "64" or "32", for reports that machines read.
constexpr std::string_view ViewBitsText(ProgramView view) { return view == ProgramView::Native64 ? "64" : "32"; }

}  // namespace brindle
