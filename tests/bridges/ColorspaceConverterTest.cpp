#include "support/ProgramTestSupport.h"

#include "Engine/ColorspaceConverter.h"
#include "Proc/Interfaces/IColorSpaceConverter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using Zentor::Glimra::ColorspaceConverter;
using Zentor::Proc::DataVideoFF;
using Zentor::Proc::DataVideoPtr;

namespace {

// One pixel of each shown format: its bytes in the frame and the colour Qt must read from them.
struct Case {
  AVPixelFormat format;
  QImage::Format qtFormat;
  std::vector<uint8_t> firstBytes;
  QRgb expected;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {AV_PIX_FMT_RGB24, QImage::Format_RGB888, {30, 20, 10}, qRgb(30, 20, 10)},
      {AV_PIX_FMT_MONOBLACK, QImage::Format_Mono, {0x80}, qRgb(255, 255, 255)},
      {AV_PIX_FMT_BGRA, QImage::Format_ARGB32, {0, 0, 255, 128}, qRgba(255, 0, 0, 128)},
      {AV_PIX_FMT_RGB565LE, QImage::Format_RGB16, {0x00, 0xF8}, qRgb(255, 0, 0)},
      {AV_PIX_FMT_RGB555LE, QImage::Format_RGB555, {0x1F, 0x00}, qRgb(0, 0, 255)},
      {AV_PIX_FMT_RGB444LE, QImage::Format_RGB444, {0xF0, 0x00}, qRgb(0, 255, 0)},
      {AV_PIX_FMT_BGR0, QImage::Format_RGB32, {10, 20, 30, 0}, qRgb(30, 20, 10)},
  };
  return cases;
}

DataVideoPtr MakeFrame(const Case& c, int lineSize) {
  const int lineSizes[4] = {lineSize, 0, 0, 0};
  DataVideoPtr frame = DataVideoFF::Create(c.format, 5, 3, 1, 1, lineSizes);
  std::memcpy(frame->GetPicture().data[0], c.firstBytes.data(), c.firstBytes.size());
  return frame;
}

}  // namespace

TEST(ColorspaceConverterTest, EachShownFormatWrapsTheFrameWithItsStrideAndMeaning) {
  std::vector<int> listed;
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.format);
    listed.push_back(c.format);
    DataVideoPtr frame = MakeFrame(c, 64);
    const QImage image = ColorspaceConverter::FrameToImage(frame);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(c.qtFormat, image.format());
    EXPECT_EQ(5, image.width());
    EXPECT_EQ(3, image.height());
    EXPECT_EQ(64, image.bytesPerLine());
    EXPECT_EQ(frame->GetPicture().data[0], image.constBits());  // no copy, the colour table included
    EXPECT_EQ(c.expected, image.pixel(0, 0));
    if (c.format == AV_PIX_FMT_MONOBLACK) {
      EXPECT_EQ(qRgb(0, 0, 0), image.pixel(1, 0));
    }

    // The wrapped image shows later changes of the frame; the pixmap owns its pixels.
    const QPixmap pixmap = ColorspaceConverter::FrameToPixmap(frame);
    std::memset(frame->GetPicture().data[0], 0, c.firstBytes.size());
    EXPECT_NE(c.expected, image.pixel(0, 0));
    frame.reset();
    EXPECT_EQ(c.expected, pixmap.toImage().convertToFormat(QImage::Format_ARGB32).pixel(0, 0));
  }
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, ColorspaceConverter::GetSupportedColorspaces());

  const Zentor::Core::Property settings = ColorspaceConverter::GetSupportedColorspaceSettings();
  const auto& formats = settings[Zentor::Proc::IColorSpaceConverter::PIXEL_FORMATS];
  ASSERT_EQ(listed.size(), formats.Count());
  for (size_t i = 0; i < listed.size(); ++i) EXPECT_EQ(listed[i], formats[i].GetInt64());
}

TEST(ColorspaceConverterTest, UnusableFramesGiveNullPicturesAndOneErrorLine) {
  const Case& rgb32 = Cases().back();
  DataVideoPtr shortLines = MakeFrame(rgb32, 0);
  shortLines->GetPicture().linesize[0] = 4 * 5 - 1;
  DataVideoPtr unknown = DataVideoFF::Create(AV_PIX_FMT_YUV420P, 4, 2);
  const std::vector<DataVideoPtr> frames = {nullptr, unknown, shortLines};
  for (const DataVideoPtr& frame : frames) {
    TestSupport::LogCapture log;
    EXPECT_TRUE(ColorspaceConverter::FrameToImage(frame).isNull());
    EXPECT_EQ(1u, log.Texts(google::GLOG_ERROR).size());
    EXPECT_TRUE(ColorspaceConverter::FrameToPixmap(frame).isNull());
  }
  TestSupport::LogCapture log;
  ColorspaceConverter::FrameToImage(unknown);
  EXPECT_EQ(std::vector<std::string>{"Image with undefined colorspace."}, log.Texts(google::GLOG_ERROR));
}

TEST(ColorspaceConverterTest, ALargeRgbPictureConvertsWhole) {
  // Rows of odd width and a height that leaves a short last band.
  const int width = 2001;
  const int height = 1999;
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_RGB24, width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = frame->GetPicture().data[0] + ptrdiff_t(y) * frame->GetPicture().linesize[0];
    for (int x = 0; x < width * 3; ++x) row[x] = uint8_t(x * 7 + y * 13);
  }
  const QImage expected = ColorspaceConverter::FrameToImage(frame).convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(expected, ColorspaceConverter::FrameToPixmap(frame).toImage().convertToFormat(QImage::Format_RGB32));
}
