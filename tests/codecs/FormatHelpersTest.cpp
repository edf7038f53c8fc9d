// Print resolution of BMP files: read from files, patched into encoded bytes.
#include "CodecTestSupport.h"

#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/Helpers/FormatHelpers.h"

using namespace CodecTest;
using Zentor::Conf::IFormatCodecVideo;
using Zentor::Glimra::Helpers::FormatHelper;

namespace {

void PutLe32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}
uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// A 54-byte BMP header (file header + 40-byte info header) with the given resolution fields.
std::string BmpHeader(uint32_t xPpm, uint32_t yPpm, const char* signature = "BM") {
  std::string b(54, '\0');
  b[0] = signature[0];
  b[1] = signature[1];
  PutLe32(b, 2, 54);
  PutLe32(b, 10, 54);
  PutLe32(b, 14, 40);
  PutLe32(b, 18, 1);
  PutLe32(b, 22, 1);
  b[26] = 1;
  b[28] = 24;
  PutLe32(b, 38, xPpm);
  PutLe32(b, 42, yPpm);
  return b;
}

std::string ResolutionOfFile(const TempDir& dir, const std::string& bytes,
                             const std::string& codec = IFormatCodecVideo::CODEC_ID_BMP) {
  const std::string path = dir.File("resolution.bmp");
  WriteFile(path, bytes);
  return FormatHelper::Create(codec, path)->GetResolution();
}

}  // namespace

TEST(FormatHelperBmp, ReadsTheLargerResolutionOfAFile) {
  TempDir dir;
  EXPECT_EQ(ResolutionOfFile(dir, BmpHeader(2835, 3780)), "96/1");
  EXPECT_EQ(ResolutionOfFile(dir, BmpHeader(2835, 2835)), "72/1");
  EXPECT_EQ(ResolutionOfFile(dir, BmpHeader(11811, 0)), "300/1");
  EXPECT_EQ(ResolutionOfFile(dir, BmpHeader(0, 0)), "72/1");
  // A resolution that rounds to 0 dpi counts as none.
  EXPECT_EQ(ResolutionOfFile(dir, BmpHeader(19, 1)), "72/1");
  EXPECT_EQ(ResolutionOfFile(dir, BmpHeader(20, 0)), "1/1");
  // Values beyond 32-bit arithmetic do not wrap round.
  EXPECT_EQ(ResolutionOfFile(dir, BmpHeader(0xFFFFFFFFu, 0)), "109092169/1");
}

TEST(FormatHelperBmp, OddHeadersAndBadFilesGiveTheDefault) {
  TempDir dir;
  std::string core = BmpHeader(11811, 11811);
  PutLe32(core, 14, 12);  // core header: no resolution fields
  EXPECT_EQ(ResolutionOfFile(dir, core), "72/1");

  // An array of bitmaps is judged by its second header.
  std::string array = BmpHeader(0, 0, "BA");
  array = array.substr(0, 14) + BmpHeader(11811, 11811);
  EXPECT_EQ(ResolutionOfFile(dir, array), "300/1");

  EXPECT_EQ(ResolutionOfFile(dir, BmpHeader(11811, 11811, "PT")), "72/1");
  EXPECT_EQ(ResolutionOfFile(dir, BmpHeader(11811, 11811).substr(0, 30)), "72/1");  // short read
  EXPECT_EQ(FormatHelper::Create(IFormatCodecVideo::CODEC_ID_BMP, dir.File("missing.bmp"))->GetResolution(), "72/1");
  // PNG and unregistered codecs: the default.
  EXPECT_EQ(ResolutionOfFile(dir, BmpHeader(11811, 11811), IFormatCodecVideo::CODEC_ID_PNG), "72/1");
  EXPECT_EQ(ResolutionOfFile(dir, BmpHeader(11811, 11811), IFormatCodecVideo::CODEC_ID_MJPEG), "72/1");
}

TEST(FormatHelperBmp, PatchesEncodedBytes) {
  const BlobPtr bmp = Encode(MakePicture(8, 8), IFormatCodecVideo::CODEC_ID_BMP);
  const std::pair<double, uint32_t> cases[] = {{300.0, 11811}, {72.0, 2835}, {96.0, 3780}, {71.6, 2835}};
  for (const auto& c : cases) {
    FormatHelper::Create(IFormatCodecVideo::CODEC_ID_BMP, bmp)->SetResolution(c.first);
    EXPECT_EQ(Le32(bmp->Data() + 38), c.second) << c.first;
    EXPECT_EQ(Le32(bmp->Data() + 42), c.second) << c.first;
  }
  // The patched file still decodes, and reads back its resolution.
  TempDir dir;
  FormatHelper::Create(IFormatCodecVideo::CODEC_ID_BMP, bmp)->SetResolution(300.0);
  const std::string path = dir.File("patched.bmp");
  WriteFile(path, bmp);
  EXPECT_EQ(FormatHelper::Create(IFormatCodecVideo::CODEC_ID_BMP, path)->GetResolution(), "300/1");
  EXPECT_EQ(DecodeFile(path).frame->GetWidth(), 8u);

  // Nonsense resolutions leave the bytes alone.
  for (double bad : {-5.0, std::nan(""), 1e12}) {
    FormatHelper::Create(IFormatCodecVideo::CODEC_ID_BMP, bmp)->SetResolution(bad);
    EXPECT_EQ(Le32(bmp->Data() + 38), 11811u);
  }
}

TEST(FormatHelperBmp, PatchesOnlyBlobsWithRoomForTheFields) {
  const std::string header = BmpHeader(1, 1);
  BlobPtr b46 = ToBlob(header.substr(0, 46));
  FormatHelper::Create(IFormatCodecVideo::CODEC_ID_BMP, b46)->SetResolution(300.0);
  EXPECT_EQ(Le32(b46->Data() + 38), 1u);
  BlobPtr b47 = ToBlob(header.substr(0, 47));
  FormatHelper::Create(IFormatCodecVideo::CODEC_ID_BMP, b47)->SetResolution(300.0);
  EXPECT_EQ(Le32(b47->Data() + 38), 11811u);

  // Not a bitmap, too short, or another codec: nothing changes.
  for (const std::string& bytes : {std::string("B"), header.substr(0, 17), BmpHeader(1, 1, "PT")}) {
    BlobPtr blob = ToBlob(bytes);
    const std::string before = bytes;
    auto helper = FormatHelper::Create(IFormatCodecVideo::CODEC_ID_BMP, blob);
    EXPECT_EQ(helper->GetResolution(), "72/1");
    helper->SetResolution(300.0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(blob->Data()), blob->Size()), before);
  }
  BlobPtr png = ToBlob(header);
  FormatHelper::Create(IFormatCodecVideo::CODEC_ID_PNG, png)->SetResolution(300.0);
  FormatHelper::Create("unknown", png)->SetResolution(300.0);
  EXPECT_EQ(Le32(png->Data() + 38), 1u);
}

TEST(FormatHelperBmp, CreatorsRaiseForNonBitmaps) {
  EXPECT_THROW(Zentor::Glimra::Helpers::FormatHelperBmp::CreateFromBlob(ToBlob(BmpHeader(1, 1, "PT"))),
               Zentor::Glimra::IOException);
  EXPECT_THROW(Zentor::Glimra::Helpers::FormatHelperBmp::CreateFromBlob(ToBlob("B")), Zentor::Glimra::IOException);
}
