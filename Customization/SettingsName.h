// The builder of every application-settings key; the key words come with it.
#pragma once

#include "GlimraCore/Settings.h"

#include <string>

namespace Zentor {
namespace Glimra {
namespace Settings {

// section, then "/" only when section is not empty, then a and b with nothing between them:
// Name(OPEN, FILE) is "OpenFile", Name("JPEG", "quality", FORMAT_SAVE_SETTINGS) "FormatSaveSettings/JPEGquality".
std::string Name(const std::string& a, const std::string& b, const std::string& section = std::string());

}  // namespace Settings
}  // namespace Glimra
}  // namespace Zentor
