// Programs outside Brindle that it starts and never waits for: the desktop's web browser
// for the support page, and the live update program.
#pragma once

#include <QString>

#include <optional>

namespace brindle {

// The file name the live update program is looked for under.
inline constexpr const char* kLiveUpdateProgramName = "BrindleLiveUpdate";

// Hands the support page's address (a build setting) to the desktop's URL handler; its
// answer, whether anything opened it.
bool OpenSupportPage();

// The live update program: `currentDirectory`/BrindleLiveUpdate when that is an executable
// regular file, else the first one along `searchPath`, folders separated by ':' as in
// $PATH. An empty entry, like a relative one, is taken against `currentDirectory`, as a
// shell takes it against its own. An empty `searchPath` names no folder at all.
std::optional<QString> FindLiveUpdateProgram(const QString& currentDirectory, const QString& searchPath);

// Starts `program` in `workingDirectory` without arguments and without waiting for it;
// false (with a warning naming both) when it could not be started.
bool StartDetachedProgram(const QString& program, const QString& workingDirectory);

}  // namespace brindle
