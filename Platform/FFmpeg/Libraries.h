// FFmpeg's libraries, opened on first use instead of by the dynamic loader at the program's start:
// binding them and their hundred dependencies would cost every start about 60 ms before main.
// The framework's calls of FFmpeg's functions go to stubs of the same names (Functions.cpp),
// which find the real functions here.
#pragma once

#include "Platform/Bedrock/Export.h"

#include <string>

namespace Zentor {
namespace FFmpeg {

enum class Library { Util, Scale, Codec, Format };

// Opens the libraries once; later calls return at once. A library that cannot be opened throws a
// Zentor::Exception that names it, and the next call tries again.
ZENTOR_API void Load();

// Begins Load on a thread of its own and returns; a second call does nothing. A failure there is
// reported by the first use.
ZENTOR_API void LoadInBackground();

// The file Load opens for a library, by default the name of the version built against. For tests
// of a missing library: it counts for a load not yet done.
ZENTOR_API void SetFileName(Library library, const std::string& file);

// True once Load succeeded.
ZENTOR_LOCAL bool Loaded();

// The function of that name in a loaded library; loads the libraries first. Throws when either
// is missing.
ZENTOR_LOCAL void* Find(Library library, const char* name);

}  // namespace FFmpeg
}  // namespace Zentor
