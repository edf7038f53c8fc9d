#include "Core/Interfaces/Exception.h"
#include "Platform/FileIo/DataFile.h"
#include "Proc/Interfaces/IDataVideo.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace Zentor;
using namespace Zentor::Proc;

namespace {

uint8_t Pattern(uint32_t x, uint32_t y, int plane = 0) { return static_cast<uint8_t>(x * 7 + y * 13 + plane * 31 + 1); }

// Fills every byte of planes 0..3, row padding included, with Pattern of (byte column, row).
void Fill(const DataVideoPtr& frame) {
  Picture& picture = frame->GetPicture();
  for (int p = 0; p < 4 && picture.linesize[p] > 0; ++p) {
    const uint32_t rows = GetPlaneRows(frame->GetPixelFormat(), p, frame->GetHeight());
    for (uint32_t y = 0; y < rows; ++y) {
      for (int x = 0; x < picture.linesize[p]; ++x) picture.data[p][y * picture.linesize[p] + x] = Pattern(x, y, p);
    }
  }
}

void WriteFrame(const DataVideoPtr& frame, const std::string& path) {
  Core::DataOutputPtr out = Core::DataOutputFile::Create(path);
  frame->WriteData(*out);
  out->Commit();
}

}  // namespace

TEST(DataVideoTest, NewFramesAreZeroFilledWithAlignedLineSizes) {
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_RGB24, 101, 7, 3, 2);
  ASSERT_TRUE(frame);
  EXPECT_EQ(AV_PIX_FMT_RGB24, frame->GetPixelFormat());
  EXPECT_EQ(101u, frame->GetWidth());
  EXPECT_EQ(7u, frame->GetHeight());
  EXPECT_EQ(3u, frame->GetAspectX());
  EXPECT_EQ(2u, frame->GetAspectY());
  EXPECT_EQ(IDataVideo::DEFAULT_DURATION, frame->GetDuration());
  EXPECT_EQ(IDataVideo::DEFAULT_TIMESTAMP, frame->GetTimestamp());
  const Picture& picture = frame->GetPicture();
  EXPECT_EQ(320, picture.linesize[0]);  // 303 bytes rounded up to 32
  EXPECT_EQ(0, picture.linesize[1]);
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(picture.data[0]) % DataVideoFF::LINE_ALIGN);
  for (int i = 0; i < 320 * 7; ++i) ASSERT_EQ(0, picture.data[0][i]) << i;

  // Planar 4:2:0 with an odd size: chroma planes have rounded-up rows and columns.
  DataVideoPtr yuv = DataVideoFF::Create(AV_PIX_FMT_YUV420P, 33, 5);
  const Picture& planes = yuv->GetPicture();
  EXPECT_EQ(64, planes.linesize[0]);
  EXPECT_EQ(32, planes.linesize[1]);
  EXPECT_EQ(32, planes.linesize[2]);
  EXPECT_EQ(0, planes.linesize[3]);
  EXPECT_EQ(17, GetPlaneRowBytes(AV_PIX_FMT_YUV420P, 1, 33));
  EXPECT_EQ(3u, GetPlaneRows(AV_PIX_FMT_YUV420P, 1, 5));
  EXPECT_EQ(5u, GetPlaneRows(AV_PIX_FMT_YUV420P, 0, 5));
  EXPECT_GE(planes.data[1], planes.data[0] + 64 * 5);
  EXPECT_GE(planes.data[2], planes.data[1] + 32 * 3);
}

TEST(DataVideoTest, GivenLineSizesAreHonouredWhenLargeEnough) {
  const int large[4] = {128, 0, 0, 0};
  EXPECT_EQ(128, DataVideoFF::Create(AV_PIX_FMT_GRAY8, 100, 50, 1, 1, large)->GetPicture().linesize[0]);
  const int exact[4] = {100, 0, 0, 0};
  EXPECT_EQ(100, DataVideoFF::Create(AV_PIX_FMT_GRAY8, 100, 50, 1, 1, exact)->GetPicture().linesize[0]);
  const int small[4] = {99, 0, 0, 0};
  EXPECT_EQ(128, DataVideoFF::Create(AV_PIX_FMT_GRAY8, 100, 50, 1, 1, small)->GetPicture().linesize[0]);
  const int negative[4] = {-128, 0, 0, 0};
  EXPECT_EQ(128, DataVideoFF::Create(AV_PIX_FMT_GRAY8, 100, 50, 1, 1, negative)->GetPicture().linesize[0]);
  // A plane the format does not have gets no line size, whatever is given.
  const int extra[4] = {128, 128, 128, 128};
  const DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 100, 50, 1, 1, extra);
  const Picture& gray = frame->GetPicture();
  EXPECT_EQ(0, gray.linesize[1]);
  EXPECT_EQ(nullptr, gray.data[1]);
}

TEST(DataVideoTest, Gray8FrameWritesLineSizeTimesRowsAndReadsBack) {
  TempFolder folder;
  const int lines[4] = {128, 0, 0, 0};
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 100, 50, 1, 1, lines);
  Fill(frame);
  const std::string path = folder.File("frame");
  WriteFrame(frame, path);

  const std::string bytes = Core::ReadWholeFile(path);
  ASSERT_EQ(6408u, bytes.size());
  EXPECT_EQ(0, std::memcmp(bytes.data(), DataVideoFF::LEADING_FIELD, 8));
  EXPECT_EQ(0, std::memcmp(bytes.data() + 8, frame->GetPicture().data[0], 128 * 50));

  // Same line size: one read of the whole plane.
  Core::DataInputPtr in = Core::DataInputFile::Create(path);
  EXPECT_EQ(6408u, in->GetSize());
  char lead[8];
  in->Read(lead, sizeof(lead));
  DataVideoPtr back = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 100, 50, 1, 1, lines);
  ASSERT_EQ(128, back->GetPicture().linesize[0]);
  in->Read(back->GetPicture().data[0], 128 * 50);
  EXPECT_EQ(0, std::memcmp(back->GetPicture().data[0], frame->GetPicture().data[0], 128 * 50));
  EXPECT_THROW(in->Read(lead, 1), Core::FileException);
}

TEST(DataVideoTest, LargerRecordedLineSizeReadsRowByRow) {
  TempFolder folder;
  const int recorded[4] = {112, 0, 0, 0};
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 100, 30, 1, 1, recorded);
  Fill(frame);
  const std::string path = folder.File("frame");
  WriteFrame(frame, path);

  const int smaller[4] = {104, 0, 0, 0};
  DataVideoPtr back = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 100, 30, 1, 1, smaller);
  Picture& picture = back->GetPicture();
  ASSERT_EQ(104, picture.linesize[0]);
  Core::DataInputPtr in = Core::DataInputFile::Create(path);
  std::vector<uint8_t> scratch(8);
  in->Read(scratch.data(), 8);
  for (uint32_t r = 0; r < 30; ++r) {
    in->Read(picture.data[0] + r * 104, 104);
    in->Read(scratch.data(), 112 - 104);
  }
  for (uint32_t y = 0; y < 30; ++y) {
    for (uint32_t x = 0; x < 104; ++x) ASSERT_EQ(Pattern(x, y), picture.data[0][y * 104 + x]) << x << "," << y;
  }
}

TEST(DataVideoTest, PlanarFrameWritesEveryPlane) {
  TempFolder folder;
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_YUV420P, 40, 9);
  Fill(frame);
  const std::string path = folder.File("frame");
  WriteFrame(frame, path);
  const std::string bytes = Core::ReadWholeFile(path);
  const Picture& picture = frame->GetPicture();
  ASSERT_EQ(8u + 64 * 9 + 32 * 5 + 32 * 5, bytes.size());
  EXPECT_EQ(0, std::memcmp(bytes.data() + 8 + 64 * 9, picture.data[1], 32 * 5));
  EXPECT_EQ(0, std::memcmp(bytes.data() + 8 + 64 * 9 + 32 * 5, picture.data[2], 32 * 5));
}

TEST(DataVideoTest, ViewSharesPixelsAndOutlivesItsSource) {
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 16, 16, 4, 3);
  frame->SetDuration(1234);
  frame->SetTimestamp(77);
  static uint8_t extra[16];
  frame->GetPicture().data[7] = extra;
  frame->GetPicture().linesize[7] = 16;
  DataVideoPtr view = frame->CreateView();
  EXPECT_EQ(frame->GetPicture().data[0], view->GetPicture().data[0]);
  EXPECT_EQ(extra, view->GetPicture().data[7]);
  EXPECT_EQ(16, view->GetPicture().linesize[7]);
  EXPECT_EQ(1234, view->GetDuration());
  EXPECT_EQ(77, view->GetTimestamp());
  EXPECT_EQ(4u, view->GetAspectX());
  EXPECT_EQ(3u, view->GetAspectY());

  view->GetPicture().data[0][5] = 42;
  EXPECT_EQ(42, frame->GetPicture().data[0][5]);
  view->Limit(2, 2, 4, 4);
  EXPECT_EQ(16u, frame->GetWidth());  // limiting a view leaves the source alone
  frame.reset();
  EXPECT_EQ(0, view->GetPicture().data[0][0]);  // the pixel memory is still there
}

TEST(DataVideoTest, CopyOfCroppedViewHoldsOnlyTheRectangle) {
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_RGB24, 64, 48, 1, 1);
  Fill(frame);
  frame->SetDuration(555);
  frame->SetTimestamp(-3);
  static uint8_t extra[4];
  frame->GetPicture().data[6] = extra;
  DataVideoPtr view = frame->CreateView();
  view->Limit(10, 5, 20, 15);
  DataVideoPtr copy = view->CreateCopy();

  EXPECT_EQ(20u, copy->GetWidth());
  EXPECT_EQ(15u, copy->GetHeight());
  EXPECT_EQ(555, copy->GetDuration());
  EXPECT_EQ(-3, copy->GetTimestamp());
  const Picture& picture = copy->GetPicture();
  EXPECT_EQ(64, picture.linesize[0]);  // 60 bytes aligned, not the source's 192
  EXPECT_EQ(nullptr, picture.data[6]);
  for (uint32_t y = 0; y < 15; ++y) {
    for (uint32_t x = 0; x < 60; ++x) {
      ASSERT_EQ(Pattern(x + 30, y + 5), picture.data[0][y * 64 + x]) << x << "," << y;
    }
  }
  // Independent of the source both ways.
  frame->GetPicture().data[0][5 * 192 + 30] ^= 0xFF;
  EXPECT_EQ(Pattern(30, 5), picture.data[0][0]);
  copy->GetPicture().data[0][1] ^= 0xFF;
  EXPECT_EQ(Pattern(31, 5), frame->GetPicture().data[0][5 * 192 + 31]);
}

TEST(DataVideoTest, LimitMovesChromaPlanesBySubsampledOffset) {
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_YUV420P, 64, 32);
  Fill(frame);
  const Picture before = frame->GetPicture();
  frame->Limit(8, 4, 16, 8);
  const Picture& after = frame->GetPicture();
  EXPECT_EQ(before.data[0] + 4 * before.linesize[0] + 8, after.data[0]);
  EXPECT_EQ(before.data[1] + 2 * before.linesize[1] + 4, after.data[1]);
  EXPECT_EQ(before.data[2] + 2 * before.linesize[2] + 4, after.data[2]);
  EXPECT_EQ(before.linesize[1], after.linesize[1]);

  // Odd offsets round the chroma position down; the copy stays inside the source planes.
  DataVideoPtr odd = DataVideoFF::Create(AV_PIX_FMT_YUV420P, 9, 9);
  Fill(odd);
  odd->Limit(3, 3, 6, 6);
  DataVideoPtr copy = odd->CreateCopy();
  EXPECT_EQ(Pattern(1, 1, 1), copy->GetPicture().data[1][0]);
  EXPECT_EQ(Pattern(3, 3, 0), copy->GetPicture().data[0][0]);
}

TEST(DataVideoTest, LimitOutsideTheFrameRaises) {
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 20, 10);
  uint8_t* const start = frame->GetPicture().data[0];
  EXPECT_THROW(frame->Limit(15, 0, 6, 10), ProcException);
  EXPECT_THROW(frame->Limit(0, 5, 20, 6), ProcException);
  EXPECT_THROW(frame->Limit(0xFFFFFFFFu, 0, 2, 1), ProcException);  // would wrap in 32 bits
  EXPECT_EQ(20u, frame->GetWidth());
  EXPECT_EQ(start, frame->GetPicture().data[0]);
  try {
    frame->Limit(0, 0, 21, 1);
    FAIL();
  } catch (const ProcException& e) {
    EXPECT_NE(std::string::npos, GetDescription(e).find("20 x 10"));
  }
  frame->Limit(20, 10, 0, 0);  // empty rectangle at the corner is inside
  EXPECT_EQ(0u, frame->GetWidth());
  // Monochrome rows cannot start inside a byte.
  DataVideoPtr mono = DataVideoFF::Create(AV_PIX_FMT_MONOBLACK, 64, 4);
  uint8_t* const monoStart = mono->GetPicture().data[0];
  EXPECT_THROW(mono->Limit(3, 0, 8, 1), ProcException);
  mono->Limit(16, 1, 8, 1);
  EXPECT_EQ(monoStart + mono->GetPicture().linesize[0] + 2, mono->GetPicture().data[0]);
}

TEST(DataVideoTest, LimitedViewAtTheBottomRightWritesWithinItsMemory) {
  TempFolder folder;
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGRA, 50, 20);
  Fill(frame);
  const int lineSize = frame->GetPicture().linesize[0];
  DataVideoPtr view = frame->CreateView();
  view->Limit(40, 12, 10, 8);
  const std::string path = folder.File("corner");
  WriteFrame(view, path);
  const std::string bytes = Core::ReadWholeFile(path);
  ASSERT_EQ(8u + lineSize * 8, bytes.size());
  // Rows come from the source at the rectangle's offset; the tail of the last row is zeros.
  for (int r = 0; r < 8; ++r) {
    for (int x = 0; x < 40; ++x) {
      ASSERT_EQ(Pattern(160 + x, 12 + r), static_cast<uint8_t>(bytes[8 + r * lineSize + x])) << r << "," << x;
    }
  }
  EXPECT_EQ(0, bytes.back());
}

TEST(DataVideoTest, AbsurdSizesRaiseMemoryException) {
  EXPECT_THROW(DataVideoFF::Create(AV_PIX_FMT_GRAY8, 1u << 20, 10), Core::MemoryException);
  EXPECT_THROW(DataVideoFF::Create(AV_PIX_FMT_GRAY8, 10, 0xFFFFFFFFu), Core::MemoryException);
  EXPECT_THROW(DataVideoFF::Create(AV_PIX_FMT_RGBA64LE, 200000, 200000), Core::MemoryException);
  const int huge[4] = {0x7FFFFFFF, 0, 0, 0};
  EXPECT_THROW(DataVideoFF::Create(AV_PIX_FMT_GRAY8, 100, 100, 1, 1, huge), Core::MemoryException);
  try {
    DataVideoFF::Create(AV_PIX_FMT_RGB24, 200000, 200000);
    FAIL();
  } catch (const Core::MemoryException& e) {
    EXPECT_NE(std::string::npos, GetDescription(e).find("200000 x 200000 frame of rgb24")) << GetDescription(e);
  }
  EXPECT_THROW(DataVideoFF::Create(AV_PIX_FMT_NONE, 10, 10), ProcException);
  EXPECT_THROW(DataVideoFF::Create(AV_PIX_FMT_VAAPI, 10, 10), ProcException);
}

TEST(DataVideoTest, EmptyFramesHaveNoPixelMemory) {
  TempFolder folder;
  DataVideoPtr noRows = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 100, 0);
  EXPECT_EQ(128, noRows->GetPicture().linesize[0]);
  EXPECT_EQ(nullptr, noRows->GetPicture().data[0]);
  DataVideoPtr noColumns = DataVideoFF::Create(AV_PIX_FMT_YUV420P, 0, 10);
  EXPECT_EQ(0, noColumns->GetPicture().linesize[0]);
  for (const DataVideoPtr& frame : {noRows, noColumns}) {
    WriteFrame(frame, folder.File("empty"));
    EXPECT_EQ(8u, Core::ReadWholeFile(folder.File("empty")).size());
    EXPECT_EQ(0u, frame->CreateCopy()->GetWidth() * frame->CreateCopy()->GetHeight());
    frame->CreateView()->Limit(0, 0, 0, 0);
  }
}

TEST(DataVideoTest, PaletteFormatsCarryTheirPalette) {
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_PAL8, 10, 3);
  const Picture& picture = frame->GetPicture();
  EXPECT_EQ(32, picture.linesize[0]);
  EXPECT_EQ(4, picture.linesize[1]);
  EXPECT_EQ(256u, GetPlaneRows(AV_PIX_FMT_PAL8, 1, 3));
  picture.data[1][1023] = 9;
  frame->Limit(5, 1, 5, 2);
  EXPECT_EQ(9, frame->GetPicture().data[1][1023]);  // the palette does not move
  EXPECT_EQ(9, frame->CreateCopy()->GetPicture().data[1][1023]);
}

TEST(DataVideoTest, PixelFormatDescriptions) {
  const PixelFormatDescription rgb = GetPixelFormatDescription(AV_PIX_FMT_RGB24);
  EXPECT_TRUE(rgb.valid);
  EXPECT_EQ(3, rgb.components);
  EXPECT_EQ(3, rgb.bytesPerPixel);
  EXPECT_EQ(1, rgb.planes);
  EXPECT_FALSE(rgb.hasAlpha);
  EXPECT_TRUE(GetPixelFormatDescription(AV_PIX_FMT_BGRA).hasAlpha);
  EXPECT_EQ(4, GetPixelFormatDescription(AV_PIX_FMT_BGR0).bytesPerPixel);
  const PixelFormatDescription yuv = GetPixelFormatDescription(AV_PIX_FMT_YUV420P);
  EXPECT_EQ(1, yuv.log2ChromaH);
  EXPECT_EQ(1, yuv.log2ChromaW);
  EXPECT_EQ(3, yuv.planes);
  EXPECT_FALSE(GetPixelFormatDescription(AV_PIX_FMT_NONE).valid);
  EXPECT_EQ(0, GetPlaneRowBytes(AV_PIX_FMT_NONE, 0, 10));
  EXPECT_EQ(0, GetPlaneRowBytes(AV_PIX_FMT_GRAY8, 4, 10));
}
