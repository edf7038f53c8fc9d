// The engine's interfaces towards the program: the engine object, the drawer, undo, the
// callback interfaces and the creation record.
#pragma once

#include "Core/Interfaces/IProgressController.h"
#include "Core/Interfaces/RefCountable.h"
#include "GlimraCore/Export.h"
#include "GlimraCore/IGlimraPainter.h"
#include "GlimraCore/Settings.h"
#include "Platform/Bedrock/Property.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <boost/container/flat_map.hpp>
#include <boost/exception_ptr.hpp>

#include <cstdint>
#include <functional>
#include <string>

namespace Zentor {
namespace Core {
// A file path as a byte string.
using ioPath = std::string;
}  // namespace Core

namespace Glimra {

// A picture coordinate.
using VSize = uint32_t;

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
  // The changed part of the picture after one painting step, in the output colour space.
  using PaintPatch = Glimra::PaintPatch;

  virtual void SetBrush(const Core::Property& settings) = 0;
  // A brush whose stamp is the given GRAY8 image.
  virtual void SetBrush(const Proc::DataVideoPtr& stamp) = 0;
  virtual void PaintInit(const Core::Property& settings) = 0;
  virtual PaintPatch PaintStart(VSize x, VSize y) = 0;
  virtual PaintPatch Paint(VSize x, VSize y) = 0;
  virtual void PaintStop(VSize x, VSize y) = 0;
  virtual bool HasPaintedArea() const = 0;
  virtual void PaintReset() = 0;
  virtual void ApplyEffect(const Core::Property& settings, bool wait) = 0;
  virtual bool HasChange() const = 0;
  virtual void ResizePaintedArea(int direction) = 0;
  virtual const Core::Property& GetBrushSettings() const = 0;
  virtual const Core::Property& GetPaintSettings() const = 0;
  // The picture to show, with the selection laid over it; null after a failure.
  virtual Proc::DataVideoPtr GetVideo() = 0;
  // What GetVideo shows, in two parts: the current picture without the selection (the picture
  // itself, not a copy, when it is in the output colour space) and the selection laid over it
  // within the selection's bounds (no frame without a selection). The picture is null after a
  // failure.
  struct VideoParts {
    Proc::DataVideoPtr picture;
    PaintPatch selection;
  };
  virtual VideoParts GetVideoParts() = 0;
  // Frame information of the current image step.
  virtual const Core::Property& GetSettings() const = 0;
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

// The paint type of a mode without a painter (crop).
extern GLIMRA_CORE_API const std::string EMPTY_DRAWER;

// The engine object of one opened image. Failures of Undo, Redo, Reset, LoadMask, SetMask,
// Save, SaveMask, Debug, GetVideo, PaintStop, ResizePaintedArea and of effect runs go to the
// core handlers' Throw; every other operation lets its exceptions out.
//
// An effect run that the caller does not wait for stores its step on a thread of its own, and
// raises the drawer events there once the step is complete. Meanwhile the queries (GetVideo,
// GetSettings, GetBrushSettings, GetPaintSettings, IsUndoEnabled, IsRedoEnabled, HasPaintedArea,
// HasChange, GetMetadata, GetThumbnail, GetFormatCodec, GetStatistic) are safe to call: each
// answers from one consistent state. Undo, Redo, Reset, PaintStart, Paint, PaintStop, PaintReset,
// SetMask, LoadMask, ResizePaintedArea, Save, SaveMask and SaveSession are refused while a run is
// under way and change nothing: PaintStart, Paint, PaintReset and SaveSession raise
// GlimraException "An effect is running", the others log a warning and return. Stop returns at
// once; the run's outcome tells whether its step was stored.
//
// A reference that an operation returns (GetSettings, GetBrushSettings, GetPaintSettings,
// GetMetadata, GetFormatCodec) stays valid until the calling thread's next call into the engine.
class GLIMRA_CORE_API IGlimraCore : public virtual IRefCountable,
                                    public virtual IGlimraDrawer,
                                    public virtual IGlimraUndoBase {
 public:
  // What the program hands to Create; copied during construction.
  struct Initializer {
    std::string version;
    // Base name of the session file in tempFolder.
    std::string sessionId;
    // The image to open when no session can be restored.
    std::string filePath;
    // Ends with a path separator. The session's own: swap files its session does not keep are
    // removed when the engine starts, unless a refused session lies beside them.
    std::string tempFolder;
    std::function<std::string()> tempNameGenerator;
    // Must not be null; must outlive the engine.
    IStatisticsEventHandler* statisticsHandler = nullptr;
  };

  virtual void SetOutputColorSpace(const Core::Property& settings) = 0;
  virtual const Core::Property& GetMetadata() const = 0;
  virtual Proc::DataVideoPtr GetThumbnail() const = 0;
  virtual void SetProgressController(const Core::ProgressControllerPtr& controller) = 0;
  virtual Core::Property GetStatistic() const = 0;
  virtual void LoadMask(const Core::ioPath& path) = 0;
  virtual void SetMask(Proc::DataVideoPtr& mask) = 0;
  virtual void RegisterCoreEventHandler(ICoreEventHandler* handler) = 0;
  virtual void RegisterDrawerEventHandler(IDrawerEventHandler* handler) = 0;
  virtual Core::Property GetDefaultSaveSettings() const = 0;
  virtual void Save(const Core::Property& settings) = 0;
  virtual void SaveSession() = 0;
  virtual void SaveMask(const Core::ioPath& path) = 0;
  virtual const Conf::FormatCodecVideoPtr& GetFormatCodec() const = 0;
  virtual void Debug() = 0;
  // True when the engine continues the session of its session file; false when it opened the
  // image, because there was no session file or it was refused. A refused session file and its
  // swap files are kept in the folder, beside the new session's.
  virtual bool IsSessionRestored() const = 0;

  ~IGlimraCore() override;

  // A new engine: restores the session sessionId from tempFolder, else opens filePath.
  // Raises when the image cannot be opened or the record is unusable.
  static boost::intrusive_ptr<IGlimraCore> Create(const Initializer& initializer);
};

using GlimraCorePtr = boost::intrusive_ptr<IGlimraCore>;

}  // namespace Glimra
}  // namespace Zentor
