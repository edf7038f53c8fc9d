// Opening a shared library one dependency at a time.
#pragma once

#include "Platform/Bedrock/Export.h"

#include <set>
#include <string>
#include <vector>

namespace Zentor {
namespace FFmpeg {

// Opens a library (RTLD_NOW | RTLD_LOCAL) after its dependencies, each with a dlopen of its
// own. One dlopen of an FFmpeg library with its hundred dependencies holds the loader's lock for
// about 50 ms, and every other dlopen and thread start of the process waits for it; this way it
// is held a few milliseconds at a time. Dependencies are looked for beside the library that
// needs them, then in folders; one not found or not readable is left to the loader with its own,
// as only the speed is at stake. A name in seen counts as open already; each name tried is
// added to it. Null, with dlerror() set, when the library cannot be opened.
ZENTOR_LOCAL void* OpenAfterDependencies(const std::string& name, const std::vector<std::string>& folders,
                                         std::set<std::string>& seen);

// The file names of the objects loaded so far, which are mostly the names they are asked for by.
ZENTOR_LOCAL std::set<std::string> LoadedNames();

// The folder of the C library: where the system's libraries are.
ZENTOR_LOCAL std::string SystemFolder();

}  // namespace FFmpeg
}  // namespace Zentor
