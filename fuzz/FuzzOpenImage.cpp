// libFuzzer target: arbitrary bytes through the media source, the decoder and the metadata reader/writer.
#include "FuzzSupport.h"

#include "Platform/Codecs/CodecFactory.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "Platform/ServiceClient/ClientAPI.h"

#include <glog/logging.h>

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <unistd.h>

using namespace Zentor;

namespace {

std::string TempPath(const char* suffix) {
  return "/dev/shm/glimra-fuzz-" + std::to_string(::getpid()) + suffix;
}

bool WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  std::fclose(f);
  return ok;
}

void Decode(const uint8_t* data, size_t size) {
  BlobPtr bytes = Blob::Create(size);
  if (size) std::memcpy(bytes->Data(), data, size);
  try {
    ClientAPI::MediaSourcePtr source = ClientAPI::OpenSource(bytes);
    for (int i = 0; i < source->GetStreamCount(); ++i) {
      if (source->GetStreamType(i) != ClientAPI::IMediaSource::STREAM_TYPE_VIDEO) continue;
      Proc::StreamRawPtr raw(dynamic_cast<Proc::IStreamRaw*>(source->GetStream(i).get()));
      if (!raw) std::abort();
      Proc::StreamVideoPtr decoder = Core::GetCodecFactory()->CreateDecoder(raw);
      Proc::DataVideoPtr frame = decoder->Read();
      Conf::FormatCodecVideoPtr codec = decoder->GetFormatCodec();
      if (frame && (frame->GetWidth() == 0 || frame->GetHeight() == 0)) std::abort();
      break;
    }
  } catch (const Zentor::Exception&) {
    // Bad input is reported as an exception: expected.
  }
}

void Metadata(const uint8_t* data, size_t size) {
  const std::string in = TempPath(".img");
  const std::string out = TempPath(".out");
  if (!WriteBytes(in, data, size) || !WriteBytes(out, data, size)) return;
  Proc::ImageMetadataPtr metadata = Proc::ImageMetadata::Create(in, nullptr);
  if (!metadata) std::abort();
  metadata->GetThumbnail();
  Proc::ImageMetadataPtr restored = Proc::ImageMetadata::Create(metadata->GetMetadata());
  if (!restored) std::abort();
  Core::Property settings(Proc::IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT(Conf::IFormatFile::TAG_FILENAME, out);
  try {
    restored->Write(settings, restored->GetThumbnail());
  } catch (const Zentor::Exception&) {
  }
  std::remove(in.c_str());
  std::remove(out.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FLAGS_minloglevel = 3;  // quiet: every input logs warnings
  std::set_terminate(&FuzzSupport::SaveInputAndAbort);
  av_log_set_level(AV_LOG_QUIET);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSupport::SetInput(data, size);
  Decode(data, size);
  Metadata(data, size);
  return 0;
}
