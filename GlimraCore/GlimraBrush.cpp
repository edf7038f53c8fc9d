#include "GlimraCore/GlimraBrush.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraExceptions.h"
#include "Platform/Formats/IFormatCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Zentor {
namespace Glimra {

IGlimraBrushStamp::~IGlimraBrushStamp() = default;

namespace {

uint32_t ReadSize(const Core::Property& node, const char* what) {
  const long long value = Core::GetValue<long long>(node);
  if (value < 0 || value > static_cast<long long>(GlimraBrush::MAX_SIZE)) {
    ZENTOR_THROW(BrushException() << TagDescription("Brush " + std::string(what) + " " + std::to_string(value) +
                                                    " is outside 0.." + std::to_string(GlimraBrush::MAX_SIZE)));
  }
  return static_cast<uint32_t>(value);
}

}  // namespace

GlimraBrushPtr GlimraBrush::Create(const Core::Property& settings) {
  if (settings.GetName() != IGlimraBrush::CLASS_ID) {
    ZENTOR_THROW(BrushException() << TagClassID(settings.GetName())
                                  << TagDescription("Filter was initialized with incorrect class (" +
                                                    settings.GetName() + ")!"));
  }
  return GlimraBrushPtr(new GlimraBrush(settings));
}

GlimraBrushPtr GlimraBrush::Create(const Proc::DataVideoPtr& stamp) {
  if (!stamp || stamp->GetPixelFormat() != AV_PIX_FMT_GRAY8) {
    ZENTOR_THROW_DESC(BrushException, "A brush image must be an 8-bit grey frame");
  }
  if (stamp->GetWidth() > MAX_SIZE || stamp->GetHeight() > MAX_SIZE) {
    ZENTOR_THROW_DESC(BrushException, "A brush image may be at most " + std::to_string(MAX_SIZE) + " pixels wide and high");
  }
  return GlimraBrushPtr(new GlimraBrush(stamp));
}

GlimraBrush::GlimraBrush(const Core::Property& settings) {
  const std::string type = Core::GetValue<std::string>(settings[IGlimraBrush::TAG_BRUSH_TYPE]);
  if (type == IGlimraBrush::SQUARE) {
    ReadRectangle(settings);
    std::fill(weights_.begin(), weights_.end(), 1.0f);
  } else if (type == IGlimraBrush::CIRCLE) {
    MakeEllipse(settings);
  } else {
    ZENTOR_THROW(PainterException() << TagTypeID(type) << TagDescription("Unknown brush type (" + type + ")!"));
  }
}

GlimraBrush::GlimraBrush(const Proc::DataVideoPtr& stamp) : stamp_(stamp), fixed_(true) {}

void GlimraBrush::ReadRectangle(const Core::Property& settings) {
  width_ = ReadSize(settings[Conf::IFormatCodecVideo::TAG_WIDTH], "width");
  height_ = settings.ChildExists(Conf::IFormatCodecVideo::TAG_HEIGHT)
                ? ReadSize(settings[Conf::IFormatCodecVideo::TAG_HEIGHT], "height")
                : width_;
  smoothing_ = 0;
  if (settings.ChildExists(IGlimraBrush::SMOOTH)) {
    // Beyond 100 % the inner ellipse would turn inside out; below 0 means no soft edge.
    smoothing_ = static_cast<uint32_t>(std::clamp(Core::GetValue<long long>(settings[IGlimraBrush::SMOOTH]), 0LL, 100LL));
  }
  weights_.assign(static_cast<size_t>(width_) * height_, 0.0f);
}

void GlimraBrush::MakeEllipse(const Core::Property& settings) {
  ReadRectangle(settings);
  if (height_ == 0 || width_ == 0) return;
  const double a = width_ * 0.5;
  const double b = height_ * 0.5;
  const double s = smoothing_;
  const double outer = a * a * b * b + std::sqrt(a * a * b * b) + 0.25;
  const double ia = a - a * s / 100;
  const double ib = b - s * b / 100;
  const double inner = ia * ia * ib * ib + std::sqrt(ia * ia * ib * ib) + 0.25;
  const double so = std::sqrt(outer);
  const double si = std::sqrt(inner);
  float* w = weights_.data();
  for (uint32_t y = 0; y < height_; ++y) {
    const double dy = y + 0.5 - b;
    for (uint32_t x = 0; x < width_; ++x, ++w) {
      const double dx = x + 0.5 - a;
      const double d = dx * dx * b * b + dy * dy * a * a;
      if (d > outer) {
        *w = 0.0f;
      } else if (d <= inner) {
        *w = 1.0f;
      } else {
        *w = static_cast<float>((so - std::sqrt(d)) / (so - si));
      }
    }
  }
}

Proc::DataVideoPtr GlimraBrush::GetBrush(int brightness) {
  // A ready image, or a stamp of this brightness made already.
  if (fixed_ || (stamp_ && brightness_ == brightness)) return stamp_;
  Proc::DataVideoPtr stamp = Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, width_, height_, 1, 1);
  Proc::Picture& p = stamp->GetPicture();
  if (p.data[0]) {
    std::memset(p.data[0], 0, static_cast<size_t>(p.linesize[0]) * height_);
    const float* w = weights_.data();
    for (uint32_t y = 0; y < height_; ++y) {
      uint8_t* row = p.data[0] + static_cast<size_t>(y) * p.linesize[0];
      for (uint32_t x = 0; x < width_; ++x, ++w) {
        const double value = static_cast<double>(static_cast<float>(brightness) * *w) + 0.5;
        row[x] = static_cast<uint8_t>(static_cast<long long>(value));
      }
    }
  }
  stamp_ = stamp;
  brightness_ = brightness;
  return stamp_;
}

}  // namespace Glimra
}  // namespace Zentor
