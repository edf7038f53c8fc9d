#include "Proc/Interfaces/IDataVideo.h"

#include "Core/Interfaces/Exception.h"
#include "Platform/Bedrock/HugePageMemory.h"
#include "Platform/FileIo/DataFile.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace Zentor {
namespace Proc {

IData::~IData() = default;
IDataVideo::~IDataVideo() = default;

namespace {

constexpr int IMAGE_PLANES = 4;
constexpr size_t PLANE_ALIGN = 64;
// Room after the last plane for vectorised readers that overrun a row end slightly.
constexpr size_t TAIL_PADDING = 64;
constexpr int PALETTE_ENTRIES = 256;
constexpr int PALETTE_ENTRY_BYTES = 4;

const AVPixFmtDescriptor* Descriptor(AVPixelFormat format) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  if (!desc || (desc->flags & AV_PIX_FMT_FLAG_HWACCEL)) return nullptr;
  return desc;
}

std::string FormatName(AVPixelFormat format) {
  const char* name = av_get_pix_fmt_name(format);
  return name ? std::string(name) : "pixel format " + std::to_string(static_cast<int>(format));
}

bool IsPalette(const AVPixFmtDescriptor* desc) { return (desc->flags & AV_PIX_FMT_FLAG_PAL) != 0; }

bool IsChromaPlane(int plane) { return plane == 1 || plane == 2; }

// Exact row bytes of planes 0..3 (palette plane included); false when the width does not fit an int.
bool RowBytes(const AVPixFmtDescriptor* desc, AVPixelFormat format, uint32_t width, int rowBytes[IMAGE_PLANES]) {
  if (av_image_fill_linesizes(rowBytes, format, static_cast<int>(width)) < 0) return false;
  if (IsPalette(desc)) rowBytes[1] = PALETTE_ENTRY_BYTES;
  return true;
}

uint32_t PlaneRows(const AVPixFmtDescriptor* desc, int plane, uint32_t height) {
  if (plane < 0 || plane >= IMAGE_PLANES) return 0;
  if (plane == 1 && IsPalette(desc)) return PALETTE_ENTRIES;
  if (!IsChromaPlane(plane)) return height;
  const uint32_t shift = desc->log2_chroma_h;
  return static_cast<uint32_t>((uint64_t(height) + (uint64_t(1) << shift) - 1) >> shift);
}

// Pixel memory shared by a frame and its views: one zero-filled aligned allocation, a large one
// in huge pages where it can be.
class PixelBuffer {
 public:
  explicit PixelBuffer(size_t size) : large_(size >= HUGE_PAGE_MIN_BYTES ? size : 0), size_(size) {
    begin_ = large_.Begin();
    if (begin_) return;
    raw_ = std::calloc(size + PLANE_ALIGN, 1);
    if (raw_) {
      const uintptr_t address = reinterpret_cast<uintptr_t>(raw_);
      begin_ = static_cast<uint8_t*>(raw_) + ((PLANE_ALIGN - address % PLANE_ALIGN) % PLANE_ALIGN);
    }
  }
  ~PixelBuffer() { std::free(raw_); }
  PixelBuffer(const PixelBuffer&) = delete;
  PixelBuffer& operator=(const PixelBuffer&) = delete;

  bool Valid() const { return begin_ != nullptr; }
  uint8_t* Begin() const { return begin_; }
  const uint8_t* End() const { return begin_ + size_; }

 private:
  static constexpr size_t HUGE_PAGE_MIN_BYTES = size_t(8) << 20;

  Core::HugePageMemory large_;
  void* raw_ = nullptr;
  uint8_t* begin_ = nullptr;
  size_t size_;
};

[[noreturn]] void ThrowTooLarge(AVPixelFormat format, uint32_t width, uint32_t height, const std::string& why) {
  ZENTOR_THROW_DESC(Core::MemoryException, "Cannot allocate a " + std::to_string(width) + " x " +
                                               std::to_string(height) + " frame of " + FormatName(format) +
                                               ": " + why);
}

class DataVideoImpl : public RefCounted<IDataVideo> {
 public:
  DataVideoImpl(AVPixelFormat format, uint32_t width, uint32_t height, uint32_t aspectX, uint32_t aspectY)
      : format_(format), width_(width), height_(height), aspectX_(aspectX), aspectY_(aspectY) {}

  // Computes the line sizes and allocates the planes (none for an empty frame).
  void Allocate(const int* given) {
    const AVPixFmtDescriptor* desc = Descriptor(format_);
    if (!desc) {
      ZENTOR_THROW_DESC(ProcException, "Cannot create a frame of unsupported " + FormatName(format_));
    }
    if (width_ > DataVideoFF::MAX_DIMENSION || height_ > DataVideoFF::MAX_DIMENSION) {
      ThrowTooLarge(format_, width_, height_,
                    "width and height are limited to " + std::to_string(DataVideoFF::MAX_DIMENSION));
    }
    int rowBytes[IMAGE_PLANES] = {};
    if (!RowBytes(desc, format_, width_, rowBytes)) ThrowTooLarge(format_, width_, height_, "row too long");
    if (width_ == 0) return;  // no plane has a row
    uint64_t offsets[IMAGE_PLANES] = {};
    uint64_t total = 0;
    for (int p = 0; p < IMAGE_PLANES && rowBytes[p] > 0; ++p) {
      int lineSize = (rowBytes[p] + DataVideoFF::LINE_ALIGN - 1) / DataVideoFF::LINE_ALIGN * DataVideoFF::LINE_ALIGN;
      if (given && given[p] >= rowBytes[p]) lineSize = given[p];
      if (p == 1 && IsPalette(desc)) lineSize = PALETTE_ENTRY_BYTES;
      picture_.linesize[p] = lineSize;
      total = (total + PLANE_ALIGN - 1) / PLANE_ALIGN * PLANE_ALIGN;
      offsets[p] = total;
      total += uint64_t(lineSize) * PlaneRows(desc, p, height_);
      if (total > DataVideoFF::MAX_FRAME_BYTES) {
        ThrowTooLarge(format_, width_, height_,
                      "more than " + std::to_string(DataVideoFF::MAX_FRAME_BYTES) + " bytes of pixels");
      }
    }
    if (height_ == 0) return;
    auto buffer = std::make_shared<PixelBuffer>(static_cast<size_t>(total + TAIL_PADDING));
    if (!buffer->Valid()) {
      ThrowTooLarge(format_, width_, height_, "out of memory for " + std::to_string(total) + " bytes");
    }
    buffer_ = std::move(buffer);
    for (int p = 0; p < IMAGE_PLANES && picture_.linesize[p] > 0; ++p) picture_.data[p] = buffer_->Begin() + offsets[p];
  }

  AVPixelFormat GetPixelFormat() const override { return format_; }
  uint32_t GetWidth() const override { return width_; }
  uint32_t GetHeight() const override { return height_; }
  uint32_t GetAspectX() const override { return aspectX_; }
  uint32_t GetAspectY() const override { return aspectY_; }
  Picture& GetPicture() override { return picture_; }
  const Picture& GetPicture() const override { return picture_; }

  int64_t GetDuration() const override { return duration_; }
  void SetDuration(int64_t value) override { duration_ = value; }
  int64_t GetTimestamp() const override { return timestamp_; }
  void SetTimestamp(int64_t value) override { timestamp_ = value; }

  void Limit(uint32_t x, uint32_t y, uint32_t width, uint32_t height) override {
    if (uint64_t(x) + width > width_ || uint64_t(y) + height > height_) {
      ZENTOR_THROW_DESC(ProcException, "Rectangle (" + std::to_string(x) + ", " + std::to_string(y) + ", " +
                                           std::to_string(width) + " x " + std::to_string(height) +
                                           ") lies outside the " + std::to_string(width_) + " x " +
                                           std::to_string(height_) + " frame");
    }
    const AVPixFmtDescriptor* desc = Descriptor(format_);
    int steps[4] = {};
    av_image_fill_max_pixsteps(steps, nullptr, desc);
    const bool bits = (desc->flags & AV_PIX_FMT_FLAG_BITSTREAM) != 0;
    uint64_t offsets[IMAGE_PLANES] = {};
    for (int p = 0; p < IMAGE_PLANES && picture_.linesize[p] > 0; ++p) {
      if (p == 1 && IsPalette(desc)) continue;
      const uint32_t px = IsChromaPlane(p) ? x >> desc->log2_chroma_w : x;
      const uint32_t py = IsChromaPlane(p) ? y >> desc->log2_chroma_h : y;
      uint64_t column = uint64_t(px) * steps[p];
      if (bits) {
        if (column % 8 != 0) {
          ZENTOR_THROW_DESC(ProcException, "A " + FormatName(format_) + " frame cannot be limited at column " +
                                               std::to_string(x) + ", which is not on a byte boundary");
        }
        column /= 8;
      }
      offsets[p] = uint64_t(py) * picture_.linesize[p] + column;
    }
    for (int p = 0; p < IMAGE_PLANES; ++p) {
      if (picture_.data[p]) picture_.data[p] += offsets[p];
    }
    width_ = width;
    height_ = height;
  }

  DataVideoPtr CreateView() const override {
    auto* view = new DataVideoImpl(format_, width_, height_, aspectX_, aspectY_);
    DataVideoPtr result(view);
    view->picture_ = picture_;
    view->buffer_ = buffer_;
    view->duration_ = duration_;
    view->timestamp_ = timestamp_;
    return result;
  }

  DataVideoPtr CreateCopy() const override {
    auto* copy = new DataVideoImpl(format_, width_, height_, aspectX_, aspectY_);
    DataVideoPtr result(copy);
    copy->Allocate(nullptr);
    copy->duration_ = duration_;
    copy->timestamp_ = timestamp_;
    const AVPixFmtDescriptor* desc = Descriptor(format_);
    int rowBytes[IMAGE_PLANES] = {};
    RowBytes(desc, format_, width_, rowBytes);
    for (int p = 0; p < IMAGE_PLANES && copy->picture_.linesize[p] > 0; ++p) {
      const uint8_t* from = picture_.data[p];
      uint8_t* to = copy->picture_.data[p];
      if (!from || !to) continue;
      const uint32_t rows = PlaneRows(desc, p, height_);
      for (uint32_t r = 0; r < rows; ++r) {
        std::memcpy(to + size_t(r) * copy->picture_.linesize[p], from + size_t(r) * picture_.linesize[p], rowBytes[p]);
      }
    }
    return result;
  }

  void WriteData(Core::IDataOutput& out) const override {
    out.Write(DataVideoFF::LEADING_FIELD, 8);
    const AVPixFmtDescriptor* desc = Descriptor(format_);
    int rowBytes[IMAGE_PLANES] = {};
    RowBytes(desc, format_, width_, rowBytes);
    std::vector<uint8_t> padding;
    for (int p = 0; p < IMAGE_PLANES && picture_.linesize[p] > 0; ++p) {
      const size_t lineSize = static_cast<size_t>(picture_.linesize[p]);
      const uint32_t rows = PlaneRows(desc, p, height_);
      const uint8_t* data = picture_.data[p];
      if (rows == 0) continue;
      if (!data) {
        ZENTOR_THROW_DESC(ProcException, "Cannot write a frame whose plane " + std::to_string(p) + " is missing");
      }
      // All rows but the last lie within the plane. The last row of a limited frame may end past
      // the pixel memory; its tail beyond the pixels is written as zeros.
      out.Write(data, lineSize * (rows - 1));
      const uint8_t* last = data + lineSize * (rows - 1);
      if (!buffer_ || (last >= buffer_->Begin() && last + lineSize <= buffer_->End())) {
        out.Write(last, lineSize);
      } else {
        const size_t used = std::min(lineSize, static_cast<size_t>(rowBytes[p]));
        out.Write(last, used);
        padding.assign(lineSize - used, 0);
        out.Write(padding.data(), padding.size());
      }
    }
  }

 private:
  AVPixelFormat format_;
  uint32_t width_;
  uint32_t height_;
  uint32_t aspectX_;
  uint32_t aspectY_;
  Picture picture_;
  int64_t duration_ = DEFAULT_DURATION;
  int64_t timestamp_ = DEFAULT_TIMESTAMP;
  std::shared_ptr<PixelBuffer> buffer_;
};

DataVideoPtr CreateFrame(AVPixelFormat format, uint32_t width, uint32_t height, uint32_t aspectX, uint32_t aspectY,
                         const int* linesizes) {
  auto* frame = new DataVideoImpl(format, width, height, aspectX, aspectY);
  DataVideoPtr result(frame);
  frame->Allocate(linesizes);
  return result;
}

}  // namespace

DataVideoPtr DataVideoFF::Create(AVPixelFormat format, uint32_t width, uint32_t height, uint32_t aspectX,
                                 uint32_t aspectY) {
  return CreateFrame(format, width, height, aspectX, aspectY, nullptr);
}

DataVideoPtr DataVideoFF::Create(AVPixelFormat format, uint32_t width, uint32_t height, uint32_t aspectX,
                                 uint32_t aspectY, const int linesizes[4]) {
  return CreateFrame(format, width, height, aspectX, aspectY, linesizes);
}

PixelFormatDescription GetPixelFormatDescription(AVPixelFormat format) {
  PixelFormatDescription result;
  const AVPixFmtDescriptor* desc = Descriptor(format);
  if (!desc) return result;
  int steps[4] = {};
  av_image_fill_max_pixsteps(steps, nullptr, desc);
  result.components = desc->nb_components;
  result.bytesPerPixel = (desc->flags & AV_PIX_FMT_FLAG_BITSTREAM) ? 0 : steps[0];
  result.log2ChromaH = desc->log2_chroma_h;
  result.log2ChromaW = desc->log2_chroma_w;
  result.planes = av_pix_fmt_count_planes(format);
  result.hasAlpha = (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
  result.valid = true;
  return result;
}

int GetPlaneRowBytes(AVPixelFormat format, int plane, uint32_t width) {
  const AVPixFmtDescriptor* desc = Descriptor(format);
  if (!desc || plane < 0 || plane >= IMAGE_PLANES) return 0;
  int rowBytes[IMAGE_PLANES] = {};
  if (!RowBytes(desc, format, width, rowBytes)) return 0;
  return rowBytes[plane];
}

uint32_t GetPlaneRows(AVPixelFormat format, int plane, uint32_t height) {
  const AVPixFmtDescriptor* desc = Descriptor(format);
  if (!desc) return 0;
  return PlaneRows(desc, plane, height);
}

}  // namespace Proc
}  // namespace Zentor
