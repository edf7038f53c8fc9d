// The engine's exported words. They are constructed before any other static object of the
// library, so tables built at load time in other sources can copy them.
#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/Helpers/CommonHelper.h"
#include "GlimraCore/Helpers/ResizeHelper.h"
#include "GlimraCore/IGlimraBrush.h"
#include "GlimraCore/IGlimraCore.h"
#include "GlimraCore/IGlimraUndo.h"
#include "GlimraCore/Settings.h"

#define GLIMRA_CONSTANT __attribute__((init_priority(1000)))

namespace Zentor {
namespace Glimra {

namespace Settings {
const std::string VALUE GLIMRA_CONSTANT("Value");
const std::string GEOMETRY GLIMRA_CONSTANT("Geometry");
const std::string STATE GLIMRA_CONSTANT("State");
const std::string OFFSET_X GLIMRA_CONSTANT("OffsetX");
const std::string OFFSET_Y GLIMRA_CONSTANT("OffsetY");
const std::string WIDTH GLIMRA_CONSTANT("Width");
const std::string HEIGHT GLIMRA_CONSTANT("Height");
const std::string MAXIMIZED GLIMRA_CONSTANT("Maximized");
const std::string OPEN GLIMRA_CONSTANT("Open");
const std::string SAVE GLIMRA_CONSTANT("Save");
const std::string OPEN_MASK GLIMRA_CONSTANT("OpenMask");
const std::string SAVE_MASK GLIMRA_CONSTANT("SaveMask");
const std::string PATH GLIMRA_CONSTANT("Path");
const std::string FILE GLIMRA_CONSTANT("File");
const std::string SESSION GLIMRA_CONSTANT("Session");
const std::string ID GLIMRA_CONSTANT("ID");
const std::string SEND_STATISTICS GLIMRA_CONSTANT("sendStatistics");

const std::string VERSION_NUMBER GLIMRA_CONSTANT("VersionNumber");
const std::string SAVE_PROPERTY_NAME GLIMRA_CONSTANT("GlimraDump");
const std::string SAVE_PROPERTY_EXTENTION GLIMRA_CONSTANT(".json");
const std::string SAVE_PROPERTY_FORMAT_CODEC GLIMRA_CONSTANT("FormatCodec");
const std::string SAVE_PROPERTY_DATA GLIMRA_CONSTANT("Data");
const std::string SAVE_PROPERTY_PAINT GLIMRA_CONSTANT("PaintSettings");
const std::string SAVE_PROPERTY_BRUSH GLIMRA_CONSTANT("BrushSettings");
const std::string SAVE_PROPERTY_SAVE GLIMRA_CONSTANT("SaveSettings");
const std::string SAVE_PROPERTY_INDEX GLIMRA_CONSTANT("Index");
const std::string SAVE_PROPERTY_UNDO_ITEMS GLIMRA_CONSTANT("Items");
const std::string SAVE_PROPERTY_UNDO_ITEM GLIMRA_CONSTANT("Item %1%");
const std::string SAVE_PROPERTY_FRAME GLIMRA_CONSTANT("Frame");
const std::string SAVE_PROPERTY_INFO GLIMRA_CONSTANT("Info");
const std::string SAVE_PROPERTY_MASK GLIMRA_CONSTANT("Mask");
const std::string SAVE_PROPERTY_INFO_LEFT GLIMRA_CONSTANT("Left");
const std::string SAVE_PROPERTY_INFO_RIGHT GLIMRA_CONSTANT("Right");
const std::string SAVE_PROPERTY_INFO_TOP GLIMRA_CONSTANT("Top");
const std::string SAVE_PROPERTY_INFO_BOTTOM GLIMRA_CONSTANT("Bottom");
const std::string SAVE_PROPERTY_LINESIZES GLIMRA_CONSTANT("Lines");
const std::string SAVE_PROPERTY_IS_SAVED GLIMRA_CONSTANT("IsSaved");
const std::string SAVE_PROPERTY_PIX_COUNT GLIMRA_CONSTANT("PixelCount");

const std::string FORMAT_SAVE_SETTINGS GLIMRA_CONSTANT("FormatSaveSettings");
const std::string FORMAT_SAVE_SETTINGS_COMMON GLIMRA_CONSTANT("FormatSaveSettingsCommon");
const std::string FORMAT_SAVE_SETTINGS_ENCODE GLIMRA_CONSTANT("FormatSaveSettingsEncode");

namespace SaveOptions {
namespace Tiff {
const std::string TAG_COMPRESSION_ALGORITHM GLIMRA_CONSTANT("compression_algo");
const std::string VAL_COMPRESSION_ALGORITHM_PACKBITS GLIMRA_CONSTANT("packbits");
const std::string VAL_COMPRESSION_ALGORITHM_RAW GLIMRA_CONSTANT("raw");
const std::string VAL_COMPRESSION_ALGORITHM_LZW GLIMRA_CONSTANT("lzw");
const std::string VAL_COMPRESSION_ALGORITHM_DEFLATE GLIMRA_CONSTANT("deflate");
const std::string VAL_COMPRESSION_ALGORITHM_DEFAULT GLIMRA_CONSTANT("packbits");
}  // namespace Tiff
}  // namespace SaveOptions
}  // namespace Settings

const std::string IGlimraUndo::TAG_FRAME_INFO GLIMRA_CONSTANT("tagUndoFrameInfo");

const std::string IGlimraDrawer::CLASS_ID GLIMRA_CONSTANT("$$GLIMRA_DRAWER$$");
const std::string IGlimraDrawer::TAG_PAINT_TYPE GLIMRA_CONSTANT("tagPaintType");
const std::string IGlimraDrawer::SEL_BRUSH GLIMRA_CONSTANT("typePaintSelBrush");
const std::string IGlimraDrawer::SEL_ERASER GLIMRA_CONSTANT("typePaintSelEraser");
const std::string IGlimraDrawer::SEL_LASSO GLIMRA_CONSTANT("typePaintSelLasso");
const std::string IGlimraDrawer::SEL_POLYGON GLIMRA_CONSTANT("typePaintSelPolygon");
const std::string IGlimraDrawer::SEL_WAND GLIMRA_CONSTANT("typePaintSelWand");
const std::string IGlimraDrawer::PAINT_CLONE GLIMRA_CONSTANT("typePaintPaintClone");
const std::string IGlimraDrawer::OFFSET_X GLIMRA_CONSTANT("cloneOffsetX");
const std::string IGlimraDrawer::OFFSET_Y GLIMRA_CONSTANT("cloneOffsetY");
const std::string IGlimraDrawer::OPACITY GLIMRA_CONSTANT("cloneOpacity");
const std::string IGlimraDrawer::TAG_EFFECT_SETTINGS GLIMRA_CONSTANT("tagEffectSettings");
const std::string IGlimraDrawer::TAG_EFFECT_SETTINGS_IMAGE GLIMRA_CONSTANT("tagEffectSettingsImage");
const std::string IGlimraDrawer::TAG_EFFECT_SETTINGS_MASK GLIMRA_CONSTANT("tagEffectSettingsMask");
const std::string IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER GLIMRA_CONSTANT("tagEffectSettingsHelper");
const std::string IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET GLIMRA_CONSTANT("tagEffectSettingsHelperUndoSet");
const std::string IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS GLIMRA_CONSTANT(
    "tagEffectSettingsHelperNoStatistics");
const std::string IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS GLIMRA_CONSTANT("tagPassThroughSettings");
const std::string EMPTY_DRAWER GLIMRA_CONSTANT("");

namespace Helpers {
const std::string CommonHelper::APPLY_WITH_MASK GLIMRA_CONSTANT("applyEffectWithMask");
const std::string CommonHelper::APPLY_AND_SET_MASK GLIMRA_CONSTANT("applyEffectAndSetMask");
const std::string CommonHelper::APPLY_STOP GLIMRA_CONSTANT("applyEffectStop");
const std::string ResizeHelper::RESOLUTION GLIMRA_CONSTANT("RESOLUTION");
}  // namespace Helpers

const std::string IGlimraBrush::CLASS_ID GLIMRA_CONSTANT("$$GLIMRA_BRUSH$$");
const std::string IGlimraBrush::TAG_BRUSH_TYPE GLIMRA_CONSTANT("tagBrushType");
const std::string IGlimraBrush::SQUARE GLIMRA_CONSTANT("brushSquare");
const std::string IGlimraBrush::CIRCLE GLIMRA_CONSTANT("brushCircle");
const std::string IGlimraBrush::SMOOTH GLIMRA_CONSTANT("brushSmooth");

const std::string IStatisticsEventHandler::SUFFIX_SUCCESS GLIMRA_CONSTANT("_SUCCESS");
const std::string IStatisticsEventHandler::SUFFIX_ERROR GLIMRA_CONSTANT("_ERROR");
const std::string IStatisticsEventHandler::SUFFIX_CANCEL GLIMRA_CONSTANT("_CANCEL");
const std::string IStatisticsEventHandler::VAL_YES GLIMRA_CONSTANT("YES");
const std::string IStatisticsEventHandler::VAL_NO GLIMRA_CONSTANT("NO");
const std::string IStatisticsEventHandler::NAME_APP_FIRST_START GLIMRA_CONSTANT("APP_FIRST_START");
const std::string IStatisticsEventHandler::NAME_APP_EVERY_START GLIMRA_CONSTANT("APP_EVERY_START");
const std::string IStatisticsEventHandler::KEY_LANGUAGE GLIMRA_CONSTANT("LANGUAGE");
const std::string IStatisticsEventHandler::NAME_FILE_ADDED GLIMRA_CONSTANT("FILE_ADDED");
const std::string IStatisticsEventHandler::KEY_FILE_EXTENSION GLIMRA_CONSTANT("FILE_EXTENSION");
const std::string IStatisticsEventHandler::KEY_FILE_FORMAT GLIMRA_CONSTANT("FILE_FORMAT");
const std::string IStatisticsEventHandler::KEY_WIDTH_HEIGHT GLIMRA_CONSTANT("WIDTH_HEIGHT");
const std::string IStatisticsEventHandler::NAME_FILE_OPEN_ERROR GLIMRA_CONSTANT("FILE_OPEN_ERROR");
const std::string IStatisticsEventHandler::KEY_ERROR GLIMRA_CONSTANT("ERROR");
const std::string IStatisticsEventHandler::NAME_TOOL_SELECT GLIMRA_CONSTANT("TOOL_SELECT");
const std::string IStatisticsEventHandler::KEY_RESIZE_RESOLUTION_UOM GLIMRA_CONSTANT("RESOLUTION_UOM");
const std::string IStatisticsEventHandler::KEY_TOOL_TYPE GLIMRA_CONSTANT("TOOL_TYPE");
const std::string IStatisticsEventHandler::NAME_SAVE_CLICK GLIMRA_CONSTANT("SAVE_CLICK");
const std::string IStatisticsEventHandler::NAME_SAVE GLIMRA_CONSTANT("SAVE");
const std::string IStatisticsEventHandler::KEY_INPUT_FORMAT GLIMRA_CONSTANT("INPUT_FORMAT");
const std::string IStatisticsEventHandler::KEY_OUTPUT_FORMAT GLIMRA_CONSTANT("OUTPUT_FORMAT");
const std::string IStatisticsEventHandler::NAME_GET_SCREENSHOT GLIMRA_CONSTANT("GET_SCREENSHOT");
const std::string IStatisticsEventHandler::KEY_RESIZE_SAVE_PROPORTION GLIMRA_CONSTANT("SAVE_PROPORTION");
const std::string IStatisticsEventHandler::KEY_RESIZE_RESAMPLE GLIMRA_CONSTANT("RESAMPLE");
const std::string IStatisticsEventHandler::KEY_RESIZE_SIZE_UOM GLIMRA_CONSTANT("SIZE_UOM");
const std::string IStatisticsEventHandler::VAL_RESIZE_SIZE_UOM_PIXELS GLIMRA_CONSTANT("pixels");
const std::string IStatisticsEventHandler::VAL_RESIZE_SIZE_UOM_PERCENTS GLIMRA_CONSTANT("percents");
const std::string IStatisticsEventHandler::VAL_RESIZE_SIZE_UOM_INCHES GLIMRA_CONSTANT("inches");
const std::string IStatisticsEventHandler::VAL_RESIZE_SIZE_UOM_CM GLIMRA_CONSTANT("cm");
const std::string IStatisticsEventHandler::VAL_RESIZE_SIZE_UOM_MM GLIMRA_CONSTANT("mm");
const std::string IStatisticsEventHandler::VAL_RESIZE_SIZE_UOM_POINTS GLIMRA_CONSTANT("points");
const std::string IStatisticsEventHandler::VAL_RESIZE_RESOLUTION_UOM_PPI GLIMRA_CONSTANT("ppi");
const std::string IStatisticsEventHandler::VAL_RESIZE_RESOLUTION_UOM_PPC GLIMRA_CONSTANT("ppc");

// Key functions of the interfaces, so their type information is exported once from here.
ICoreEventHandler::~ICoreEventHandler() = default;
IDrawerEventHandler::~IDrawerEventHandler() = default;
IStatisticsEventHandler::~IStatisticsEventHandler() = default;
IGlimraUndoBase::~IGlimraUndoBase() = default;
IGlimraDrawer::~IGlimraDrawer() = default;
IGlimraBrush::~IGlimraBrush() = default;

}  // namespace Glimra
}  // namespace Zentor
