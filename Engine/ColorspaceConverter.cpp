#include "Engine/ColorspaceConverter.h"

#include "Platform/Bedrock/HugePageMemory.h"
#include "Proc/Interfaces/IColorSpaceConverter.h"

#include <glog/logging.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace Zentor {
namespace Glimra {

// Packed formats laid out in memory as Qt reads them on a little-endian machine.
const std::map<int, QImage::Format> ColorspaceConverter::s_colorspaceMapping = {
    {AV_PIX_FMT_RGB24, QImage::Format_RGB888},   {AV_PIX_FMT_MONOBLACK, QImage::Format_Mono},
    {AV_PIX_FMT_BGRA, QImage::Format_ARGB32},    {AV_PIX_FMT_RGB565LE, QImage::Format_RGB16},
    {AV_PIX_FMT_RGB555LE, QImage::Format_RGB555}, {AV_PIX_FMT_RGB444LE, QImage::Format_RGB444},
    {AV_PIX_FMT_BGR0, QImage::Format_RGB32},
};

std::vector<int> ColorspaceConverter::GetSupportedColorspaces() {
  std::vector<int> formats;
  for (const auto& entry : s_colorspaceMapping) formats.push_back(entry.first);
  return formats;
}

Core::Property ColorspaceConverter::GetSupportedColorspaceSettings() {
  Core::Property settings = Proc::IColorSpaceConverter::MakeSettings(GetSupportedColorspaces());
  settings.SetChildT(Proc::IColorSpaceConverter::HAZ_ALPHA, true);
  return settings;
}

QImage ColorspaceConverter::FrameToImage(const Proc::DataVideoPtr& frame) {
  if (!frame) {
    LOG(ERROR) << "No frame to convert.";
    return QImage();
  }
  const auto found = s_colorspaceMapping.find(frame->GetPixelFormat());
  if (found == s_colorspaceMapping.end()) {
    LOG(ERROR) << "Image with undefined colorspace.";
    return QImage();
  }
  const QImage::Format format = found->second;
  const uint32_t width = frame->GetWidth();
  const uint32_t height = frame->GetHeight();
  const Proc::Picture& picture = static_cast<const Proc::IDataVideo&>(*frame).GetPicture();
  const uint8_t* data = picture.data[0];
  const int lineSize = picture.linesize[0];
  if (!data || width == 0 || height == 0 || width > INT_MAX || height > INT_MAX) {
    LOG(ERROR) << "Frame without pixels to show (" << width << "x" << height << ").";
    return QImage();
  }
  const uint64_t rowBytes = (uint64_t(width) * QImage::toPixelFormat(format).bitsPerPixel() + 7) / 8;
  if (lineSize < 0 || uint64_t(lineSize) < rowBytes) {
    LOG(ERROR) << "Frame line size " << lineSize << " is too short for " << width << " pixels.";
    return QImage();
  }
  QImage image(data, int(width), int(height), lineSize, format);
  if (format == QImage::Format_Mono) image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  return image;
}

namespace {

constexpr qsizetype BAND_PIXELS = 1 << 20;

void Release(void* memory) { delete static_cast<Core::HugePageMemory*>(memory); }

// A 32-bit picture in huge pages where the system gives them, else an ordinary one.
QImage MakeLargeRgb32(int width, int height) {
  const qsizetype stride = qsizetype(width) * 4;
  auto* memory = new Core::HugePageMemory(size_t(stride) * size_t(height));
  if (memory->Begin()) {
    QImage image(memory->Begin(), width, height, stride, QImage::Format_RGB32, &Release, memory);
    if (!image.isNull()) return image;
  }
  delete memory;
  return QImage(width, height, QImage::Format_RGB32);
}

// The 32-bit picture of a large RGB24 one, converted in bands on several threads (one thread
// takes about 45 ms for 24 megapixels); a null image for a small or other picture.
QImage ConvertLargeRgb888(const QImage& image) {
  const int width = image.width();
  const int height = image.height();
  const qsizetype pixels = qsizetype(width) * height;
  const int threads = int(std::min<qsizetype>(std::max(1u, std::thread::hardware_concurrency()), pixels / BAND_PIXELS));
  if (image.format() != QImage::Format_RGB888 || threads < 2) return QImage();
  QImage out = MakeLargeRgb32(width, height);
  if (out.isNull()) return QImage();
  const int rowsPerBand = int(std::max<qsizetype>(1, BAND_PIXELS / width));
  // Rows are found from the start address: the non-const scan line accessor is not thread-safe.
  uchar* const outBits = out.bits();
  const qsizetype outStride = out.bytesPerLine();
  std::atomic<int> nextRow{0};
  const auto convert = [&] {
    for (int top = nextRow.fetch_add(rowsPerBand); top < height; top = nextRow.fetch_add(rowsPerBand)) {
      // Straight into the picture: no band buffers left behind in the threads' heaps.
      for (int y = top; y < std::min(top + rowsPerBand, height); ++y) {
        const uchar* from = image.constScanLine(y);
        QRgb* to = reinterpret_cast<QRgb*>(outBits + y * outStride);
        for (int x = 0; x < width; ++x, from += 3) to[x] = qRgb(from[0], from[1], from[2]);
      }
    }
  };
  std::vector<std::thread> workers;
  try {
    for (int i = 1; i < threads; ++i) workers.emplace_back(convert);
  } catch (const std::system_error& e) {
    LOG(WARNING) << "Converting with fewer threads: " << e.what();
  }
  convert();
  for (std::thread& worker : workers) worker.join();
  return out;
}

}  // namespace

QPixmap ColorspaceConverter::FrameToPixmap(const Proc::DataVideoPtr& frame) {
  const QImage image = FrameToImage(frame);
  if (image.isNull()) return QPixmap();
  QImage converted = ConvertLargeRgb888(image);
  if (!converted.isNull()) return QPixmap::fromImage(std::move(converted));
  // A pixmap in the display's own format keeps the image's memory, which is the frame's; only
  // then is a copy needed, every other format is converted into memory of the pixmap's own.
  QPixmap pixmap = QPixmap::fromImage(image);
  if (pixmap.toImage().constBits() == image.constBits()) pixmap = QPixmap::fromImage(image.copy());
  return pixmap;
}

}  // namespace Glimra
}  // namespace Zentor
