// Key words shared by the engine and the program: application settings, session file keys,
// save settings nodes and the save options of TIFF and JPEG.
#pragma once

#include "GlimraCore/Export.h"

#include <cstdint>
#include <string>

namespace Zentor {
namespace Glimra {
namespace Settings {

// Application settings.
extern GLIMRA_CORE_API const std::string VALUE;
extern GLIMRA_CORE_API const std::string GEOMETRY;
extern GLIMRA_CORE_API const std::string STATE;
extern GLIMRA_CORE_API const std::string OFFSET_X;
extern GLIMRA_CORE_API const std::string OFFSET_Y;
extern GLIMRA_CORE_API const std::string WIDTH;
extern GLIMRA_CORE_API const std::string HEIGHT;
extern GLIMRA_CORE_API const std::string MAXIMIZED;
extern GLIMRA_CORE_API const std::string OPEN;
extern GLIMRA_CORE_API const std::string SAVE;
extern GLIMRA_CORE_API const std::string OPEN_MASK;
extern GLIMRA_CORE_API const std::string SAVE_MASK;
extern GLIMRA_CORE_API const std::string PATH;
extern GLIMRA_CORE_API const std::string FILE;
extern GLIMRA_CORE_API const std::string SESSION;
extern GLIMRA_CORE_API const std::string ID;
extern GLIMRA_CORE_API const std::string SEND_STATISTICS;
constexpr bool SEND_STATISTICS_DEFAULT = true;

// Session file.
extern GLIMRA_CORE_API const std::string VERSION_NUMBER;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_NAME;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_EXTENTION;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_FORMAT_CODEC;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_DATA;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_PAINT;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_BRUSH;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_SAVE;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_INDEX;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_UNDO_ITEMS;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_UNDO_ITEM;  // a format pattern: "%1%" is the number
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_FRAME;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_INFO;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_MASK;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_INFO_LEFT;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_INFO_RIGHT;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_INFO_TOP;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_INFO_BOTTOM;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_LINESIZES;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_IS_SAVED;
extern GLIMRA_CORE_API const std::string SAVE_PROPERTY_PIX_COUNT;

// Save settings nodes.
extern GLIMRA_CORE_API const std::string FORMAT_SAVE_SETTINGS;
extern GLIMRA_CORE_API const std::string FORMAT_SAVE_SETTINGS_COMMON;
extern GLIMRA_CORE_API const std::string FORMAT_SAVE_SETTINGS_ENCODE;

namespace SaveOptions {
namespace Tiff {
extern GLIMRA_CORE_API const std::string TAG_COMPRESSION_ALGORITHM;
extern GLIMRA_CORE_API const std::string VAL_COMPRESSION_ALGORITHM_PACKBITS;
extern GLIMRA_CORE_API const std::string VAL_COMPRESSION_ALGORITHM_RAW;
extern GLIMRA_CORE_API const std::string VAL_COMPRESSION_ALGORITHM_LZW;
extern GLIMRA_CORE_API const std::string VAL_COMPRESSION_ALGORITHM_DEFLATE;
extern GLIMRA_CORE_API const std::string VAL_COMPRESSION_ALGORITHM_DEFAULT;
}  // namespace Tiff
namespace Jpeg {
constexpr int32_t VAL_QUALITY_DEFAULT = 1;
}  // namespace Jpeg
}  // namespace SaveOptions

}  // namespace Settings
}  // namespace Glimra
}  // namespace Zentor
