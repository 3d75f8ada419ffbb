// Where the machine's Windows would look for a file the registry names, beyond the one
// path a scanner reports: a file is missing only when every place says "no such file".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Machine.h"

namespace brindle {

// Joins what several look-ups found: there when any found it, missing only when every
// one found nothing, and open otherwise.
PathProbe CombineProbes(PathProbe first, PathProbe second);

// The folders Windows searches for a program started by bare name, in order: the
// Windows folder, the system folder, then each folder of the machine's PATH.
std::vector<std::string> ProgramSearchFolders(Machine& machine);
// Looks a program name without a drive up in each of those folders.
PathProbe ProbeProgramOnSearchPath(Machine& machine, std::string_view name);

}  // namespace brindle
