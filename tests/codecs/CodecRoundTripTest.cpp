// Opening and saving pictures through the media source and the codec factory.
#include "CodecTestSupport.h"

#include "Platform/Formats/IFormatCodec.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cstring>
#include <set>

using namespace CodecTest;
using Zentor::Conf::IFormatCodec;
using Zentor::Conf::IFormatCodecVideo;

namespace {

struct Format {
  const char* codecId;
  const char* extension;
  double tolerance;  // mean absolute difference per sample
  bool grey;         // compared with the grey version of the picture
  bool mono;         // 1-bit: only bright and dark halves are compared
};

const Format kSaveFormats[] = {
    {IFormatCodecVideo::CODEC_ID_BMP, "bmp", 0, false, false},
    {IFormatCodecVideo::CODEC_ID_DPX, "dpx", 0, false, false},
    {IFormatCodecVideo::CODEC_ID_MJPEG, "jpg", 6, false, false},
    {IFormatCodecVideo::CODEC_ID_PBM, "pbm", 0, true, true},
    {IFormatCodecVideo::CODEC_ID_PCX, "pcx", 0, false, false},
    {IFormatCodecVideo::CODEC_ID_PGM, "pgm", 1.5, true, false},
    {IFormatCodecVideo::CODEC_ID_PNG, "png", 0, false, false},
    {IFormatCodecVideo::CODEC_ID_PPM, "ppm", 0, false, false},
    {IFormatCodecVideo::CODEC_ID_TARGA, "tga", 0, false, false},
    {IFormatCodecVideo::CODEC_ID_TIFF, "tif", 0, false, false},
    {IFormatCodecVideo::CODEC_ID_XBM, "xbm", 0, true, true},
};

const Format kOpenOnlyFormats[] = {
    {IFormatCodecVideo::CODEC_ID_GIF, "gif", 40, false, false},
    {IFormatCodecVideo::CODEC_ID_JPEG2000, "jp2", 8, false, false},
};

// Mono pictures: the bright and dark parts of the ramp keep their side of the threshold.
void ExpectMonoMatches(const Proc::DataVideoPtr& frame) {
  const uint32_t w = frame->GetWidth();
  const uint32_t h = frame->GetHeight();
  const std::vector<uint8_t> rgb = ToRgb24(frame);
  const uint32_t y = h - 1;
  EXPECT_LT(rgb[(static_cast<size_t>(y) * w + 0) * 3], 64);
  EXPECT_GT(rgb[(static_cast<size_t>(y) * w + (w - 1)) * 3], 192);
}

void CheckDecoded(const Format& f, const Decoded& d, uint32_t w, uint32_t h) {
  ASSERT_TRUE(d.frame) << f.codecId;
  EXPECT_EQ(d.frame->GetWidth(), w) << f.codecId;
  EXPECT_EQ(d.frame->GetHeight(), h) << f.codecId;
  EXPECT_EQ(d.codec->GetCodecId(), f.codecId);
  EXPECT_EQ(Core::GetValue<long long>(d.codec->GetSettings()[IFormatCodecVideo::TAG_WIDTH]), w);
  EXPECT_EQ(Core::GetValue<long long>(d.codec->GetSettings()[IFormatCodecVideo::TAG_PIX_FMT]),
            d.frame->GetPixelFormat());
  // Decoded pictures are 8-bit and not paletted.
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(d.frame->GetPixelFormat());
  ASSERT_NE(desc, nullptr);
  EXPECT_EQ(desc->comp[0].depth, 8) << f.codecId << " " << desc->name;
  EXPECT_FALSE(desc->flags & AV_PIX_FMT_FLAG_PAL) << f.codecId;
  if (f.mono) {
    ExpectMonoMatches(d.frame);
  } else {
    EXPECT_LE(DiffToPicture(d.frame, f.grey), f.tolerance) << f.codecId;
  }
}

}  // namespace

TEST(CodecIds, OnePerFormatAndNoneIsDistinct) {
  std::set<std::string> ids;
  for (const Format& f : kSaveFormats) ids.insert(f.codecId);
  for (const Format& f : kOpenOnlyFormats) ids.insert(f.codecId);
  EXPECT_EQ(ids.size(), 13u);
  EXPECT_EQ(ids.count(IFormatCodec::CODEC_ID_NONE), 0u);
  for (const std::string& id : ids) {
    EXPECT_EQ(Core::GetValue<std::string>(CodecSettings(id)[IFormatCodec::TAG_CODEC_ID]), id);
  }
  EXPECT_THROW(CodecSettings("no-such-codec"), Zentor::Exception);
  EXPECT_EQ(IFormatCodecVideo::Create()->GetCodecId(), IFormatCodec::CODEC_ID_NONE);
}

TEST(CodecRoundTrip, ElevenSaveFormatsEncodeAndDecodeBack) {
  TempDir dir;
  const uint32_t w = 67, h = 45;  // odd sizes catch row padding and chroma rounding faults
  const Proc::DataVideoPtr picture = MakePicture(w, h);
  for (const Format& f : kSaveFormats) {
    SCOPED_TRACE(f.codecId);
    BlobPtr bytes = Encode(picture, f.codecId);
    ASSERT_TRUE(bytes);
    ASSERT_GT(bytes->Size(), 0u);
    const std::string path = dir.File(std::string("picture.") + f.extension);
    WriteFile(path, bytes);
    const Decoded d = DecodeFile(path);
    CheckDecoded(f, d, w, h);
  }
}

TEST(CodecRoundTrip, ThirteenFormatsOpenFoundByContent) {
  TempDir dir;
  const uint32_t w = 40, h = 24;
  const Proc::DataVideoPtr picture = MakePicture(w, h);
  std::vector<Format> all(std::begin(kSaveFormats), std::end(kSaveFormats));
  all.insert(all.end(), std::begin(kOpenOnlyFormats), std::end(kOpenOnlyFormats));
  for (const Format& f : all) {
    SCOPED_TRACE(f.codecId);
    BlobPtr bytes = Encode(picture, f.codecId);
    // The file name says nothing: the format is found from the bytes.
    const std::string path = dir.File(std::string("no-extension-") + f.codecId);
    WriteFile(path, bytes);
    ClientAPI::MediaSourcePtr source = ClientAPI::OpenSource(path);
    ASSERT_EQ(source->GetStreamCount(), 1);
    EXPECT_EQ(source->GetStreamType(0), ClientAPI::IMediaSource::STREAM_TYPE_VIDEO);
    CheckDecoded(f, DecodeSource(source), w, h);
  }
}

TEST(CodecRoundTrip, DeepPicturesDecodeToEightBits) {
  const uint32_t w = 16, h = 8;
  for (AVPixelFormat deep : {AV_PIX_FMT_RGB48LE, AV_PIX_FMT_GRAY16LE}) {
    Proc::DataVideoPtr frame = Proc::DataVideoFF::Create(deep, w, h);
    Proc::Picture& p = frame->GetPicture();
    const int channels = deep == AV_PIX_FMT_RGB48LE ? 3 : 1;
    for (uint32_t y = 0; y < h; ++y) {
      auto* row = reinterpret_cast<uint16_t*>(p.data[0] + static_cast<size_t>(y) * p.linesize[0]);
      for (uint32_t x = 0; x < w * channels; ++x) row[x] = 0xA0A0;  // 160 in 8 bits
    }
    for (const char* codec : {IFormatCodecVideo::CODEC_ID_PNG, IFormatCodecVideo::CODEC_ID_TIFF,
                              IFormatCodecVideo::CODEC_ID_PGM, IFormatCodecVideo::CODEC_ID_PPM}) {
      SCOPED_TRACE(std::string(codec) + " " + av_get_pix_fmt_name(deep));
      const Decoded d = DecodeBytes(Encode(frame, codec));
      ASSERT_TRUE(d.frame);
      const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(d.frame->GetPixelFormat());
      EXPECT_EQ(desc->comp[0].depth, 8);
      const std::vector<uint8_t> rgb = ToRgb24(d.frame);
      EXPECT_NEAR(rgb[0], 160, 1);
      EXPECT_NEAR(rgb[rgb.size() - 1], 160, 1);
    }
  }
}

// A paletted PNG made with FFmpeg's encoder directly.
TEST(CodecRoundTrip, PalettedPictureDecodesToColours) {
  const AVCodec* png = avcodec_find_encoder(AV_CODEC_ID_PNG);
  AVCodecContext* c = avcodec_alloc_context3(png);
  c->width = 8;
  c->height = 2;
  c->pix_fmt = AV_PIX_FMT_PAL8;
  c->time_base = AVRational{1, 25};
  ASSERT_GE(avcodec_open2(c, png, nullptr), 0);
  AVFrame* f = av_frame_alloc();
  f->format = AV_PIX_FMT_PAL8;
  f->width = 8;
  f->height = 2;
  ASSERT_GE(av_frame_get_buffer(f, 0), 0);
  auto* palette = reinterpret_cast<uint32_t*>(f->data[1]);
  palette[0] = 0xFFFF0000;  // opaque red (ARGB)
  palette[1] = 0x800000FF;  // half-transparent blue
  for (int y = 0; y < 2; ++y) std::memset(f->data[0] + y * f->linesize[0], y, 8);
  AVPacket* pkt = av_packet_alloc();
  ASSERT_GE(avcodec_send_frame(c, f), 0);
  ASSERT_GE(avcodec_receive_packet(c, pkt), 0);
  BlobPtr bytes = ToBlob(std::string(reinterpret_cast<char*>(pkt->data), pkt->size));
  av_packet_free(&pkt);
  av_frame_free(&f);
  avcodec_free_context(&c);

  const Decoded d = DecodeBytes(bytes);
  ASSERT_TRUE(d.frame);
  ASSERT_EQ(d.frame->GetPixelFormat(), AV_PIX_FMT_BGRA);
  const Proc::Picture& p = d.frame->GetPicture();
  const uint8_t* red = p.data[0];
  const uint8_t* blue = p.data[0] + p.linesize[0];
  EXPECT_EQ(red[0], 0);
  EXPECT_EQ(red[2], 255);
  EXPECT_EQ(red[3], 255);
  EXPECT_EQ(blue[0], 255);
  EXPECT_EQ(blue[3], 0x80);
}

TEST(CodecEncoder, JpegQualityReachesTheEncoder) {
  // Noise over the test picture: detail that the quantiser has to give up.
  const Proc::DataVideoPtr picture = MakePicture(128, 96);
  Proc::Picture& p = picture->GetPicture();
  uint32_t seed = 1;
  for (int y = 0; y < 96; ++y) {
    for (int x = 0; x < 128 * 3; ++x) {
      seed = seed * 1103515245u + 12345u;
      uint8_t& v = p.data[0][y * p.linesize[0] + x];
      v = static_cast<uint8_t>(std::clamp<int>(v + static_cast<int>((seed >> 16) % 21) - 10, 0, 255));
    }
  }
  Core::Property best = CodecSettings(IFormatCodecVideo::CODEC_ID_MJPEG);
  best.SetChildT(IFormatCodec::TAG_QUALITY, 1LL);
  Core::Property worst = best;
  worst.SetChildT(IFormatCodec::TAG_QUALITY, 32LL);  // beyond the scale: the smallest file
  const BlobPtr large = Encode(picture, best);
  const BlobPtr small = Encode(picture, worst);
  EXPECT_GT(large->Size(), small->Size() * 2);
  const Decoded fine = DecodeBytes(large);
  const Decoded coarse = DecodeBytes(small);
  const std::vector<uint8_t> original = ToRgb24(picture);
  auto error = [&](const Decoded& d) {
    const std::vector<uint8_t> rgb = ToRgb24(d.frame);
    double sum = 0;
    for (size_t i = 0; i < rgb.size(); ++i) sum += std::abs(rgb[i] - original[i]);
    return sum / rgb.size();
  };
  EXPECT_LT(error(fine) * 2, error(coarse));
}

namespace {

// The values of one tag of a TIFF's first directory (SHORT or LONG, first value only).
long TiffTag(const BlobPtr& tiff, uint16_t wanted) {
  const uint8_t* d = tiff->Data();
  const bool le = d[0] == 'I';
  auto u16 = [&](size_t o) { return le ? d[o] | d[o + 1] << 8 : d[o] << 8 | d[o + 1]; };
  auto u32 = [&](size_t o) -> uint32_t {
    return le ? d[o] | d[o + 1] << 8 | d[o + 2] << 16 | uint32_t(d[o + 3]) << 24
              : uint32_t(d[o]) << 24 | d[o + 1] << 16 | d[o + 2] << 8 | d[o + 3];
  };
  const uint32_t ifd = u32(4);
  const int count = u16(ifd);
  for (int i = 0; i < count; ++i) {
    const size_t e = ifd + 2 + 12 * i;
    if (u16(e) != wanted) continue;
    const int type = u16(e + 2);
    if (type == 3) return u16(e + 8);
    if (type == 4) return static_cast<long>(u32(e + 8));
    if (type == 5) {  // RATIONAL: numerator / denominator at the offset
      const uint32_t at = u32(e + 8);
      return static_cast<long>(u32(at) / std::max<uint32_t>(1, u32(at + 4)));
    }
  }
  return -1;
}

}  // namespace

TEST(CodecEncoder, TiffCompressionAndDpiReachTheEncoder) {
  const Proc::DataVideoPtr picture = MakePicture(64, 32);
  const std::pair<const char*, long> algorithms[] = {{"raw", 1}, {"packbits", 32773}, {"lzw", 5}, {"deflate", 32946}};
  for (const auto& algorithm : algorithms) {
    SCOPED_TRACE(algorithm.first);
    auto codec = IFormatCodecVideo::Create();
    codec->SetSettings(CodecSettings(IFormatCodecVideo::CODEC_ID_TIFF));
    Core::Property encoder = codec->GetEncoderSettings();
    encoder.SetChildT("compression_algo", std::string(algorithm.first));
    encoder.SetChildT(IFormatCodecVideo::TAG_DPI, std::string("300"));
    encoder.SetChildT("no_such_option", std::string("ignored"));
    codec->SetEncoderSettings(encoder);
    const BlobPtr tiff = Encode(picture, codec->GetSettings());
    EXPECT_EQ(TiffTag(tiff, 259), algorithm.second);
    EXPECT_EQ(TiffTag(tiff, 282), 300);  // XResolution
    EXPECT_EQ(DiffToPicture(DecodeBytes(tiff).frame), 0.0);
  }
  // The preset alone gives the save dialog's default.
  EXPECT_EQ(TiffTag(Encode(picture, IFormatCodecVideo::CODEC_ID_TIFF), 259), 32773);
}

TEST(CodecEncoder, JpegCarriesTheResolutionInItsJfifHeader) {
  Core::Property settings = CodecSettings(IFormatCodecVideo::CODEC_ID_MJPEG);
  Core::Property encoder(IFormatCodec::TAG_ENCODER_SETTINGS);
  encoder.SetChildT(IFormatCodecVideo::TAG_DPI, std::string("300"));
  settings.SetChild(IFormatCodec::TAG_ENCODER_SETTINGS, encoder);
  const BlobPtr jpeg = Encode(MakePicture(16, 16), settings);
  const uint8_t* d = jpeg->Data();
  ASSERT_EQ(std::memcmp(d + 6, "JFIF", 5), 0);
  EXPECT_EQ(d[13], 1);  // dots per inch
  EXPECT_EQ(d[14] << 8 | d[15], 300);
  EXPECT_EQ(d[16] << 8 | d[17], 300);
  EXPECT_TRUE(DecodeBytes(jpeg).frame);
}

TEST(CodecEncoder, OptionsOfOtherFormatsAreIgnored) {
  // The same save settings reach the thumbnail and mask encoders.
  Proc::DataVideoPtr mask = Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, 9, 5);
  Proc::Picture& p = mask->GetPicture();
  for (uint32_t y = 0; y < 5; ++y) {
    for (uint32_t x = 0; x < 9; ++x) p.data[0][y * p.linesize[0] + x] = static_cast<uint8_t>(x * 10 + y);
  }
  Core::Property settings = CodecSettings(IFormatCodecVideo::CODEC_ID_PGM);
  settings.SetChildT(IFormatCodec::TAG_QUALITY, 1LL);
  Core::Property encoder(IFormatCodec::TAG_ENCODER_SETTINGS);
  encoder.SetChildT("compression_algo", std::string("lzw"));
  encoder.SetChildT(IFormatCodecVideo::TAG_DPI, std::string("300"));
  settings.SetChild(IFormatCodec::TAG_ENCODER_SETTINGS, encoder);
  const BlobPtr pgm = Encode(mask, settings);
  ASSERT_EQ(std::string(reinterpret_cast<const char*>(pgm->Data()), 2), "P5");
  const Decoded d = DecodeBytes(pgm);
  ASSERT_EQ(d.frame->GetPixelFormat(), AV_PIX_FMT_GRAY8);
  for (uint32_t y = 0; y < 5; ++y) {
    for (uint32_t x = 0; x < 9; ++x) {
      EXPECT_EQ(d.frame->GetPicture().data[0][y * d.frame->GetPicture().linesize[0] + x], x * 10 + y);
    }
  }
}

TEST(CodecEncoder, UnknownCodecIdIsRefused) {
  Proc::StreamVideoPtr stream(new Proc::StreamOneFrameVideo(MakePicture(4, 4)));
  Core::Property settings = IFormatCodecVideo::Create()->GetSettings();
  EXPECT_THROW(Core::GetCodecFactory()->CreateEncoder(stream, settings), Proc::EncoderException);
  settings.SetChildT(IFormatCodec::TAG_CODEC_ID, std::string("no-such-codec"));
  EXPECT_THROW(Core::GetCodecFactory()->CreateEncoder(stream, settings), Proc::EncoderException);
}

TEST(CodecDecoder, BadFilesFailClearly) {
  TempDir dir;
  auto description = [](const std::function<void()>& fn) -> std::string {
    try {
      fn();
    } catch (const Zentor::Exception& e) {
      return Zentor::GetDescription(e);
    }
    return "no failure";
  };

  const std::string text = dir.File("notes.png");
  WriteFile(text, std::string("These are not the pixels you are looking for.\n"));
  EXPECT_EQ(description([&] { DecodeFile(text); }), "Unknown image format");

  const std::string empty = dir.File("empty.jpg");
  WriteFile(empty, std::string());
  EXPECT_EQ(description([&] { DecodeFile(empty); }), "The file is empty");

  const BlobPtr png = Encode(MakePicture(64, 64), IFormatCodecVideo::CODEC_ID_PNG);
  const std::string truncated = dir.File("truncated.png");
  WriteFile(truncated, png->Data(), png->Size() * 2 / 3);
  const std::string text2 = description([&] { DecodeFile(truncated); });
  EXPECT_EQ(text2.rfind("Cannot decode the picture", 0), 0u) << text2;

  // A JPEG cut short is refused too, not shown with its missing part filled in.
  const BlobPtr jpeg = Encode(MakePicture(256, 192), IFormatCodecVideo::CODEC_ID_MJPEG);
  const std::string cut = dir.File("truncated.jpg");
  WriteFile(cut, jpeg->Data(), jpeg->Size() * 2 / 3);
  const std::string text3 = description([&] { DecodeFile(cut); });
  EXPECT_EQ(text3.rfind("Cannot decode the picture", 0), 0u) << text3;

  EXPECT_THROW(DecodeFile(dir.File("missing.png")), Core::FileException);
}

TEST(CodecDecoder, GetFormatCodecBeforeReadDescribesTheStream) {
  const BlobPtr bmp = Encode(MakePicture(10, 6), IFormatCodecVideo::CODEC_ID_BMP);
  ClientAPI::MediaSourcePtr source = ClientAPI::OpenSource(bmp);
  Proc::StreamRawPtr raw(dynamic_cast<Proc::IStreamRaw*>(source->GetStream(0).get()));
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->GetFormatCodec()->GetCodecId(), IFormatCodecVideo::CODEC_ID_BMP);
  Proc::StreamVideoPtr decoder = Core::GetCodecFactory()->CreateDecoder(raw);
  EXPECT_EQ(decoder->GetFormatCodec()->GetCodecId(), IFormatCodecVideo::CODEC_ID_BMP);
  EXPECT_TRUE(decoder->Read());
  EXPECT_FALSE(decoder->Read());  // one picture, then the end
  EXPECT_THROW(source->GetStream(1), Proc::DecoderException);
}

// A 32-bit PCX (red, green, blue and alpha planes, as ImageMagick writes pictures with alpha),
// with runs, a run across the planes and a literal taken for a run's length.
TEST(CodecDecoder, FourPlanePcxOpensWithItsAlpha) {
  const int w = 5, h = 3, line = 6;  // a line of each plane is padded to an even length
  std::string pcx(128, '\0');
  pcx[0] = 0x0A;
  pcx[1] = 5;
  pcx[2] = 1;
  pcx[3] = 8;
  pcx[8] = w - 1;
  pcx[10] = h - 1;
  pcx[12] = pcx[14] = 72;
  pcx[65] = 4;
  pcx[66] = line;
  pcx[68] = 1;
  const auto sample = [](int x, int y, int plane) {
    if (plane == 3) return y == 1 ? 0x80 : 0xFF;
    return (x * 40 + y * 20 + plane * 70) % 256;
  };
  for (int y = 0; y < h; ++y) {
    std::string planes;
    for (int plane = 0; plane < 4; ++plane) {
      for (int x = 0; x < line; ++x) planes += char(x < w ? sample(x, y, plane) : 0);
    }
    for (size_t i = 0; i < planes.size();) {
      size_t run = 1;
      while (i + run < planes.size() && run < 63 && planes[i + run] == planes[i]) ++run;
      if (run > 1 || uint8_t(planes[i]) >= 0xC0) pcx += char(0xC0 | run);
      pcx += planes[i];
      i += run;
    }
  }

  const Decoded d = DecodeBytes(ToBlob(pcx));
  ASSERT_TRUE(d.frame);
  EXPECT_EQ(d.codec->GetCodecId(), IFormatCodecVideo::CODEC_ID_PCX);
  ASSERT_EQ(d.frame->GetWidth(), uint32_t(w));
  ASSERT_EQ(d.frame->GetHeight(), uint32_t(h));
  ASSERT_EQ(d.frame->GetPixelFormat(), AV_PIX_FMT_RGBA);
  const Proc::Picture& p = d.frame->GetPicture();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int plane = 0; plane < 4; ++plane) {
        EXPECT_EQ(p.data[0][y * p.linesize[0] + x * 4 + plane], sample(x, y, plane)) << x << "," << y << " " << plane;
      }
    }
  }

  // A file cut short is refused, not shown with its missing rows made up.
  EXPECT_THROW(DecodeBytes(ToBlob(pcx.substr(0, pcx.size() - 4))), Zentor::Exception);
}
