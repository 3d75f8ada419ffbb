// Where a skin comes from: the built-in one, read from the program's resources in memory,
// or a user skin from a folder named on purpose. A user folder's definition replaces the
// built-in one; its pictures and scan animation come before the built-in ones of the same
// name, which stand in for whatever the folder lacks.
//
// Nothing here ever writes, and without a named folder nothing is looked up as a file at
// all: the work folder and the current folder hold the user's own files, and a stray
// "Mask.bmp" or "Skin.ini" there must change nothing. An empty folder name names no
// folder (joined with a file name it would be a path in the current folder): its pictures
// and animation are the built-in ones, and it has no definition.
#pragma once

#include <QByteArray>

#include <filesystem>
#include <optional>

#include "platform/Result.h"
#include "skin/definition/SkinIni.h"

namespace brindle::skin {

// The file names a user skin folder holds its definition and scan animation under.
inline constexpr const char* kSkinFileName = "Skin.ini";
inline constexpr const char* kScanAnimationFileName = "skin3.gif";

// The user skin folder to look in: `skinFolder` when it names one, none for the built-in
// skin alone.
std::optional<std::filesystem::path> NamedSkinFolder(const std::optional<std::filesystem::path>& skinFolder);

// The skin definition, read whole into memory: the built-in one without a folder, else
// "Skin.ini" of the folder. Fails, saying why, when the folder's file is missing, is not
// a regular file, is too large or cannot be read, and when the folder's name is empty.
Result<CSkinIni> LoadSkinDefinition(const std::optional<std::filesystem::path>& skinFolder);

// The scan animation's bytes: "skin3.gif" of the folder when it holds a readable regular
// file (whether it plays is the movie's business), else the built-in animation. A file of
// that name that is refused (a folder, a pipe, too large) is reported through qWarning
// and passed over. Empty only when the built-in skin has no animation either.
QByteArray LoadScanAnimation(const std::optional<std::filesystem::path>& skinFolder);

}  // namespace brindle::skin
