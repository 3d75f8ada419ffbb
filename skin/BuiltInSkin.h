// Which built-in skin the program reads its definition and pictures from. Both skins are
// embedded: the shipped one under ":/skin" and the full one, which also places the controls
// the shipped one leaves out, under ":/skin-full". The build chooses the default
// (BRINDLE_SKIN=shipped or full); tests switch with SetBuiltInSkinRoot.
#pragma once

#include <QString>

namespace brindle::skin {

inline constexpr const char* kShippedSkinRoot = ":/skin";
inline constexpr const char* kFullSkinRoot = ":/skin-full";

// The resource folder of the built-in skin in use, without a trailing slash.
QString BuiltInSkinRoot();

// Makes `root` the built-in skin's folder for every later lookup (LoadSkinImage,
// ExtractResourceToFile). Meant for tests; an empty root restores the build's choice.
void SetBuiltInSkinRoot(const QString& root);

}  // namespace brindle::skin
