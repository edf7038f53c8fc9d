// Fresh names for temporary files.
#pragma once

#include "Platform/Bedrock/Export.h"

#include <string>

namespace Zentor {
namespace Core {

// folder + 16 random letters and digits + extension. A separator is put after a folder that lacks
// one, and a dot before an extension that lacks one. The name never exists in the folder (with or
// without the extension) and is never handed out twice in this process. Safe from any thread.
ZENTOR_API std::string GenerateTempFileName(const std::string& folder, const std::string& extension = std::string());

}  // namespace Core
}  // namespace Zentor
