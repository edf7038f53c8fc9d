// The per-image controller as the main window and the panels use it.
#pragma once

#include "Core/Interfaces/IProgressController.h"
#include "Core/Interfaces/RefCountable.h"
#include "GlimraCore/IGlimraCore.h"
#include "Platform/Bedrock/Property.h"

#include <QImage>
#include <QString>

#include <boost/intrusive_ptr.hpp>

#include <string>

class QGraphicsScene;

namespace Zentor {
namespace Glimra {

class PaintTools;

// GUI thread only. Held through intrusive pointers; a new image replaces it in every holder.
class IWorkspaceController : public virtual IRefCountable {
 public:
  ~IWorkspaceController() override;

  virtual QGraphicsScene* GetScene() const = 0;
  virtual PaintTools* GetPaintTools() const = 0;
  // Null when there is no engine.
  virtual IGlimraUndoBase* GetUndoEngine() const = 0;
  virtual void RegisterCoreEventHandler(ICoreEventHandler* handler) = 0;
  virtual void RegisterDrawerEventHandler(IDrawerEventHandler* handler) = 0;
  virtual QString GetFileName() const = 0;
  // Saves under the current name; false, and nothing saved, when its suffix has no saving codec.
  virtual bool SaveOverwrite() = 0;
  virtual void Save(const QString& path) = 0;
  virtual void SaveSession() = 0;
  virtual void SetProgressController(const Core::ProgressControllerPtr& controller) = 0;
  virtual void LoadSelection(const std::string& path) = 0;
  virtual void SaveSelection(const std::string& path) const = 0;
  // The picture to print, owning its pixels; null when the engine shows nothing.
  virtual QImage GetFrame() const = 0;
  virtual Core::Property GetFrameInfo() const = 0;
  // The whole scene at its own size.
  virtual QImage GetSnapshot() const = 0;
  virtual Core::Property GetFileInfo() const = 0;
  virtual void SetSaveReplaceSettings(const Core::Property& settings) = 0;
  virtual void Debug() = 0;
  // False when the engine opened the image although a session may have been asked for.
  virtual bool IsSessionRestored() const = 0;

  // The session thumbnail inside the session folder.
  static const char* const PREVIEW_NAME;
};

using WorkspaceControllerPtr = boost::intrusive_ptr<IWorkspaceController>;

}  // namespace Glimra
}  // namespace Zentor
