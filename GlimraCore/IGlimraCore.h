// The engine's interfaces towards the program: callback interfaces, undo and the drawer's words.
#pragma once

#include "GlimraCore/Export.h"
#include "GlimraCore/Settings.h"

#include <boost/container/flat_map.hpp>
#include <boost/exception_ptr.hpp>

#include <string>

namespace Zentor {
namespace Glimra {

// Failures of operations that do not let their exceptions out, and of effect runs.
class GLIMRA_CORE_API ICoreEventHandler {
 public:
  virtual void Throw(boost::exception_ptr error) = 0;
  virtual ~ICoreEventHandler();
};

// Changes of the picture or mask, and of the state to save.
class GLIMRA_CORE_API IDrawerEventHandler {
 public:
  virtual void HandleEvent() = 0;
  // changed: the picture differs from the last saved state.
  virtual void HandleEventChangeToSave(bool changed) = 0;
  virtual ~IDrawerEventHandler();
};

// Usage statistics, and the names, keys and values of its events.
class GLIMRA_CORE_API IStatisticsEventHandler {
 public:
  using StringParameters = boost::container::flat_map<std::string, std::string>;
  using IntParameters = boost::container::flat_map<std::string, int>;

  virtual void TrackEventString(const std::string& name, const StringParameters& parameters) = 0;
  virtual void TrackEventInt(const std::string& name, const IntParameters& parameters) = 0;
  virtual void TrackException(const std::string& first, const std::string& second, const std::string& third) = 0;
  virtual ~IStatisticsEventHandler();

  static const std::string SUFFIX_SUCCESS;
  static const std::string SUFFIX_ERROR;
  static const std::string SUFFIX_CANCEL;
  static const std::string VAL_YES;
  static const std::string VAL_NO;
  static const std::string NAME_APP_FIRST_START;
  static const std::string NAME_APP_EVERY_START;
  static const std::string KEY_LANGUAGE;
  static const std::string NAME_FILE_ADDED;
  static const std::string KEY_FILE_EXTENSION;
  static const std::string KEY_FILE_FORMAT;
  static const std::string KEY_WIDTH_HEIGHT;
  static const std::string NAME_FILE_OPEN_ERROR;
  static const std::string KEY_ERROR;
  static const std::string NAME_TOOL_SELECT;
  static const std::string KEY_RESIZE_RESOLUTION_UOM;
  static const std::string KEY_TOOL_TYPE;
  static const std::string NAME_SAVE_CLICK;
  static const std::string NAME_SAVE;
  static const std::string KEY_INPUT_FORMAT;
  static const std::string KEY_OUTPUT_FORMAT;
  static const std::string NAME_GET_SCREENSHOT;
  static const std::string KEY_RESIZE_SAVE_PROPORTION;
  static const std::string KEY_RESIZE_RESAMPLE;
  static const std::string KEY_RESIZE_SIZE_UOM;
  static const std::string VAL_RESIZE_SIZE_UOM_PIXELS;
  static const std::string VAL_RESIZE_SIZE_UOM_PERCENTS;
  static const std::string VAL_RESIZE_SIZE_UOM_INCHES;
  static const std::string VAL_RESIZE_SIZE_UOM_CM;
  static const std::string VAL_RESIZE_SIZE_UOM_MM;
  static const std::string VAL_RESIZE_SIZE_UOM_POINTS;
  static const std::string VAL_RESIZE_RESOLUTION_UOM_PPI;
  static const std::string VAL_RESIZE_RESOLUTION_UOM_PPC;
};

// Undo and redo of the picture and the selection.
class GLIMRA_CORE_API IGlimraUndoBase {
 public:
  virtual bool IsUndoEnabled() const = 0;
  virtual bool IsRedoEnabled() const = 0;
  virtual void Undo() = 0;
  virtual void Redo() = 0;
  virtual void Reset() = 0;
  virtual ~IGlimraUndoBase();
};

// Painting, effects and the picture to show.
class GLIMRA_CORE_API IGlimraDrawer {
 public:
  virtual ~IGlimraDrawer();

  static const std::string CLASS_ID;
  static const std::string TAG_PAINT_TYPE;
  static const std::string SEL_BRUSH;
  static const std::string SEL_ERASER;
  static const std::string SEL_LASSO;
  static const std::string SEL_POLYGON;
  static const std::string SEL_WAND;
  static const std::string PAINT_CLONE;
  static const std::string OFFSET_X;
  static const std::string OFFSET_Y;
  static const std::string OPACITY;
  static const std::string TAG_EFFECT_SETTINGS;
  static const std::string TAG_EFFECT_SETTINGS_IMAGE;
  static const std::string TAG_EFFECT_SETTINGS_MASK;
  static const std::string TAG_EFFECT_SETTINGS_HELPER;
  static const std::string TAG_EFFECT_SETTINGS_HELPER_UNDO_SET;
  static const std::string TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS;
  static const std::string TAG_PASS_THROUGH_SETTINGS;
};

}  // namespace Glimra
}  // namespace Zentor
