#include "GlimraCore/Helpers/FormatHelpers.h"

#include "Core/Interfaces/Exception.h"
#include "GlimraCore/GlimraExceptions.h"
#include "Platform/Bedrock/Ratio.h"
#include "Platform/FileIo/DataFile.h"
#include "Platform/Formats/IFormatCodec.h"

#include <glog/logging.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>

namespace Zentor {
namespace Glimra {
namespace Helpers {

const std::string FormatHelper::RESOLUTION_72PPI = "72/1";

namespace {

using FromFileFn = std::function<std::unique_ptr<FormatHelper>(const std::string&)>;
using FromBlobFn = std::function<std::unique_ptr<FormatHelper>(const BlobPtr&)>;

const std::map<std::string, FromFileFn>& FileCreators() {
  static const std::map<std::string, FromFileFn> creators = {
      {Conf::IFormatCodecVideo::CODEC_ID_BMP, &FormatHelperBmp::CreateFromFile},
      {Conf::IFormatCodecVideo::CODEC_ID_PNG, &FormatHelperPng::CreateFromFile},
  };
  return creators;
}

const std::map<std::string, FromBlobFn>& BlobCreators() {
  static const std::map<std::string, FromBlobFn> creators = {
      {Conf::IFormatCodecVideo::CODEC_ID_BMP, &FormatHelperBmp::CreateFromBlob},
      {Conf::IFormatCodecVideo::CODEC_ID_PNG, &FormatHelperPng::CreateFromBlob},
  };
  return creators;
}

// Fill the registries while the library loads.
const bool s_registered = (FileCreators(), BlobCreators(), true);

std::string CurrentExceptionText() {
  try {
    throw;
  } catch (const Zentor::Exception& e) {
    return GetDescription(e, "Unknown exception");
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown IO error";
  }
}

[[noreturn]] void ThrowNotABitmap(const char* text) {
  ZENTOR_THROW_DESC(IOException, text);
}

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
void PutLe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

uint16_t ReadLe16(Core::IDataInput& in) {
  uint8_t b[2];
  in.Read(b, sizeof b);
  return Le16(b);
}
uint32_t ReadLe32(Core::IDataInput& in) {
  uint8_t b[4];
  in.Read(b, sizeof b);
  return Le32(b);
}

void CheckSignature(const uint8_t sig[2]) {
  static const char* const accepted[] = {"BM", "BA", "IC", "CI", "CP"};
  for (const char* s : accepted) {
    if (sig[0] == static_cast<uint8_t>(s[0]) && sig[1] == static_cast<uint8_t>(s[1])) return;
  }
  ThrowNotABitmap("File is not a bitmap: wrong signature");
}

// The 14-byte file header; only the signature is used.
void ReadFileHeader(Core::IDataInput& in, uint8_t sig[2]) {
  in.Read(sig, 2);
  ReadLe32(in);  // file size
  ReadLe16(in);  // reserved
  ReadLe16(in);  // reserved
  ReadLe32(in);  // pixel data offset
}

}  // namespace

FormatHelper::FormatHelper() : resolution_(RESOLUTION_72PPI) {}
FormatHelper::~FormatHelper() = default;

const std::string& FormatHelper::GetResolution() const { return resolution_; }
void FormatHelper::SetResolution(double) {}

std::unique_ptr<FormatHelper> FormatHelper::Create(const std::string& codecId, const std::string& path) {
  (void)s_registered;
  const auto& creators = FileCreators();
  auto it = creators.find(codecId);
  if (it == creators.end()) return std::make_unique<FormatHelper>();
  try {
    return it->second(path);
  } catch (...) {
    LOG(WARNING) << path << ": " << CurrentExceptionText();
  }
  return std::make_unique<FormatHelper>();
}

std::unique_ptr<FormatHelper> FormatHelper::Create(const std::string& codecId, const BlobPtr& blob) {
  const auto& creators = BlobCreators();
  auto it = creators.find(codecId);
  if (it == creators.end()) return std::make_unique<FormatHelper>();
  try {
    return it->second(blob);
  } catch (...) {
    LOG(WARNING) << CurrentExceptionText();
  }
  return std::make_unique<FormatHelper>();
}

FormatHelperBmp::FormatHelperBmp(const std::string& path) {
  Core::DataInputPtr in = Core::DataInputFile::Create(path);
  uint8_t sig[2];
  ReadFileHeader(*in, sig);
  if (sig[0] == 'B' && sig[1] == 'A') ReadFileHeader(*in, sig);  // an array of bitmaps: judge the first one
  CheckSignature(sig);

  const uint32_t infoSize = ReadLe32(*in);
  uint32_t xPpm = 0;
  uint32_t yPpm = 0;
  if (infoSize == 12) {
    ReadLe16(*in);  // width
    ReadLe16(*in);  // height
    ReadLe16(*in);  // planes
    ReadLe16(*in);  // bits per pixel
  } else {
    ReadLe32(*in);  // width
    ReadLe32(*in);  // height
    ReadLe16(*in);  // planes
    ReadLe16(*in);  // bits per pixel
    ReadLe32(*in);  // compression
    ReadLe32(*in);  // image size
    xPpm = ReadLe32(*in);
    yPpm = ReadLe32(*in);
    ReadLe32(*in);  // colours used
    ReadLe32(*in);  // important colours
  }

  const uint64_t ppm = std::max(xPpm, yPpm);
  const uint64_t dpi = (ppm * 127 + 2500) / 5000;
  // Below 20 pixels per metre the resolution rounds to 0 dpi: no usable resolution.
  if (dpi == 0) return;
  resolution_ = Core::StringFromRatio(boost::rational<long long>(static_cast<long long>(dpi), 1));
  patchable_ = true;
}

FormatHelperBmp::FormatHelperBmp(const BlobPtr& blob) {
  blob_ = blob;
  const size_t size = blob ? blob->Size() : 0;
  if (size < 2) ThrowNotABitmap("File is not a bitmap: too short");
  const uint8_t* data = blob->Data();
  CheckSignature(data);
  if (size < 18) ThrowNotABitmap("File is not a bitmap: header not found");
  if (Le32(data + 14) >= 40 && size >= 47) patchable_ = true;
}

void FormatHelperBmp::SetResolution(double dpi) {
  if (!patchable_ || !blob_ || blob_->Size() < 46) return;
  // Resolutions that do not fit the 32-bit field are left alone.
  if (!(dpi >= 0.0) || dpi >= 800000.0) return;
  const uint64_t t = static_cast<uint64_t>(dpi + 0.5);
  const uint32_t ppm = static_cast<uint32_t>((t * 5000 + 64) / 127);
  uint8_t* data = blob_->Data();
  PutLe32(data + 38, ppm);
  PutLe32(data + 42, ppm);
}

std::unique_ptr<FormatHelper> FormatHelperBmp::CreateFromFile(const std::string& path) {
  return std::make_unique<FormatHelperBmp>(path);
}

std::unique_ptr<FormatHelper> FormatHelperBmp::CreateFromBlob(const BlobPtr& blob) {
  return std::make_unique<FormatHelperBmp>(blob);
}

std::unique_ptr<FormatHelper> FormatHelperPng::CreateFromFile(const std::string&) {
  return std::make_unique<FormatHelperPng>();
}

std::unique_ptr<FormatHelper> FormatHelperPng::CreateFromBlob(const BlobPtr&) {
  return std::make_unique<FormatHelperPng>();
}

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
