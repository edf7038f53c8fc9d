// Video frames: a pixel format, a size, a pixel aspect and up to eight planes.
#pragma once

#include "Core/Interfaces/RefCountable.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <cstdint>
#include <vector>

namespace Zentor {
namespace Core {
class IDataOutput;
}
namespace Proc {

constexpr int PICTURE_PLANES = 8;

// Plane pointers followed by line sizes, as libav lays them out. Planes 6 and 7 carry the
// extra alpha planes of the blending effects (see Platform/Effects/AlphaPlanes.h).
struct Picture {
  uint8_t* data[PICTURE_PLANES] = {};
  int linesize[PICTURE_PLANES] = {};
};

class ZENTOR_API IData : public virtual IRefCountable {
 public:
  ~IData() override;
};

class IDataVideo;
using DataPtr = boost::intrusive_ptr<IData>;
using DataList = std::vector<DataPtr>;
using DataVideoPtr = boost::intrusive_ptr<IDataVideo>;

class ZENTOR_API IDataVideo : public virtual IData {
 public:
  static constexpr int64_t DEFAULT_DURATION = 40000;
  static constexpr int64_t DEFAULT_TIMESTAMP = 0;

  ~IDataVideo() override;
  virtual AVPixelFormat GetPixelFormat() const = 0;
  virtual uint32_t GetWidth() const = 0;
  virtual uint32_t GetHeight() const = 0;
  virtual uint32_t GetAspectX() const = 0;
  virtual uint32_t GetAspectY() const = 0;
  virtual Picture& GetPicture() = 0;
  virtual const Picture& GetPicture() const = 0;

  // The two timing values a frame made from another copies from it.
  virtual int64_t GetDuration() const = 0;
  virtual void SetDuration(int64_t value) = 0;
  virtual int64_t GetTimestamp() const = 0;
  virtual void SetTimestamp(int64_t value) = 0;

  // Restricts this frame to the rectangle; raises ProcException when it does not lie inside the
  // frame. Chroma planes move by the offset shifted by the subsampling; planes 4..7 are left alone.
  virtual void Limit(uint32_t x, uint32_t y, uint32_t width, uint32_t height) = 0;
  // A new frame sharing this frame's pixel memory (kept alive by the view); all eight planes.
  virtual DataVideoPtr CreateView() const = 0;
  // A new frame with pixel memory of its own holding just this frame's rectangle (planes 0..3;
  // planes 4..7 stay null), with the default aligned line sizes.
  virtual DataVideoPtr CreateCopy() const = 0;

  // Writes an 8-byte leading field, then each plane as line size x rows bytes.
  virtual void WriteData(Core::IDataOutput& out) const = 0;
};

class ZENTOR_API DataVideoFF {
 public:
  // A new zero-filled frame owning its buffer; line sizes are rounded up to LINE_ALIGN.
  // Raises MemoryException for sizes that cannot be allocated, ProcException for a pixel format
  // without a description (AV_PIX_FMT_NONE, hardware formats). A width or height of 0 gives an
  // empty frame: no pixel memory, null plane pointers.
  static DataVideoPtr Create(AVPixelFormat format, uint32_t width, uint32_t height, uint32_t aspectX = 1,
                             uint32_t aspectY = 1);
  // Same, honouring the given line sizes of planes 0..3 where they are large enough for a row
  // (a 0 or too small value is replaced by the aligned default).
  static DataVideoPtr Create(AVPixelFormat format, uint32_t width, uint32_t height, uint32_t aspectX,
                             uint32_t aspectY, const int linesizes[4]);
  // Row alignment of new frames' line sizes.
  static constexpr int LINE_ALIGN = 32;
  // Largest width or height of a frame, and largest pixel buffer; larger requests raise MemoryException.
  static constexpr uint32_t MAX_DIMENSION = 1u << 18;
  static constexpr uint64_t MAX_FRAME_BYTES = uint64_t(8) << 30;
  // The 8 bytes that WriteData puts before the planes.
  static constexpr char LEADING_FIELD[9] = "ZFRAME01";
};

// Description of a pixel format as callers need it.
struct PixelFormatDescription {
  int components = 0;       // colour and alpha components
  int bytesPerPixel = 0;    // for packed formats: bytes of one pixel in plane 0
  int log2ChromaH = 0;      // vertical chroma subsampling shift
  int log2ChromaW = 0;
  int planes = 0;
  bool hasAlpha = false;
  bool valid = false;
};

// valid is false for AV_PIX_FMT_NONE, unknown values and hardware formats.
ZENTOR_API PixelFormatDescription GetPixelFormatDescription(AVPixelFormat format);
// Bytes of one row of plane n at the given width (0 when the plane does not exist). The palette of
// palette formats is plane 1: 256 rows of 4 bytes.
ZENTOR_API int GetPlaneRowBytes(AVPixelFormat format, int plane, uint32_t width);
// Rows of plane n at the given height: planes 1 and 2 are divided by the chroma subsampling, rounded
// up (an odd-height 4:2:0 frame has (height + 1) / 2 chroma rows); planes 0 and 3 have height rows.
ZENTOR_API uint32_t GetPlaneRows(AVPixelFormat format, int plane, uint32_t height);

}  // namespace Proc
}  // namespace Zentor
