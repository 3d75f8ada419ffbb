// Earlier versions kept the ignore list and the backups in the folder the program was
// started in. Their data is neither used nor moved now; the user is told once, when the
// prefix's own data folder is made, where it is and how to go on using it.
#pragma once

#include <filesystem>
#include <string>

#include "platform/DataFolder.h"

namespace brindle {

// The text for the user when `folder` is new and `startFolder` (the current folder) holds
// an "ignore.lst" or a "Registry Backups" folder; empty otherwise.
std::string EarlierDataNotice(const DataFolder& folder, const std::filesystem::path& startFolder);

}  // namespace brindle
