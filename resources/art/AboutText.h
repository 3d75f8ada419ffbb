// What the About page of the built-in skins says, painted into their pictures by the art
// tool and shown by the window's About dialog (app/AboutDialog): one wording for both.
// Plain text, no Qt, so that either side can read it.
#pragma once

namespace brindle::about {

inline constexpr const char* kName = "Brindle";
// "%1" is the version the build was made as.
inline constexpr const char* kVersionLine = "Version %1";
// The description, in the two lines the About page breaks it into.
inline constexpr const char* kDescriptionLines[] = {
    "Finds and removes broken entries",
    "in the registry of a Wine prefix.",
};

} // namespace brindle::about
