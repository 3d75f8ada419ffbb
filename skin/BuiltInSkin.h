// Which built-in skin the program reads its definition and pictures from. Both skins are
// embedded: the shipped one under ":/skin" and the full one, which also places the controls
// the shipped one leaves out, under ":/skin-full". The build chooses the default
// (BRINDLE_SKIN=shipped or full); the environment variable BRINDLE_BUILT_IN_SKIN (full or
// shipped) overrides it for a run; tests switch with SetBuiltInSkinRoot.
//
// The built-in skin is read from the resources in memory and never written out anywhere:
// a file in the work folder or the current folder is the user's, whatever its name.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string_view>

namespace brindle::skin {

inline constexpr const char* kShippedSkinRoot = ":/skin";
inline constexpr const char* kFullSkinRoot = ":/skin-full";

// The names of the built-in definition and scan animation inside a skin's folder; each
// picture is there under the upper-case base name of its file (EmbeddedImageName).
inline constexpr const char* kBuiltInDefinitionName = "SKININI";
inline constexpr const char* kBuiltInAnimationName = "ANIMATION";

// The resource folder of the built-in skin in use, without a trailing slash.
QString BuiltInSkinRoot();

// Makes `root` the built-in skin's folder for every later lookup (pictures, definition,
// animation). Meant for tests; an empty root restores the build's choice.
void SetBuiltInSkinRoot(const QString& root);

// "<BuiltInSkinRoot>/<name>": where the built-in skin keeps the item `name`.
QString BuiltInResourcePath(std::string_view name);

// The bytes of the built-in skin's item `name`; none when the skin has no such item (an
// empty name is the skin's folder itself, never an item).
std::optional<QByteArray> ReadBuiltInResource(std::string_view name);

}  // namespace brindle::skin
