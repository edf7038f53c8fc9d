// A painter carries one stroke of one drawing tool: it is fed the pointer positions, shows the
// stroke so far and commits its result to the undo store when the stroke ends.
#pragma once

#include "GlimraCore/Export.h"
#include "Platform/Bedrock/Property.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <cstdint>

namespace Zentor {
namespace Glimra {

// The changed part of the picture after one stroke step: frame is laid with its top-left corner
// at (left, top); null frame and all edges 0 when nothing is to be drawn.
struct PaintPatch {
  Proc::DataVideoPtr frame;
  uint32_t left = 0;
  uint32_t right = 0;
  uint32_t top = 0;
  uint32_t bottom = 0;
};

class GLIMRA_CORE_API IGlimraPainter {
 public:
  // Next pointer position of the stroke (the first call is the start point). The patch frame is
  // in the picture's working format.
  virtual PaintPatch Paint(uint32_t x, uint32_t y) = 0;
  // Commits the stroke to the undo store (at most once is meaningful; the engine then deletes it).
  virtual void Save() = 0;
  // The picture with the stroke so far; null when the painter shows nothing of its own.
  virtual Proc::DataVideoPtr GetVideo() = 0;
  virtual Core::Property GetStatistic() const = 0;
  virtual ~IGlimraPainter();
};

}  // namespace Glimra
}  // namespace Zentor
