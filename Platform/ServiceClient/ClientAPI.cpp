#include "Platform/ServiceClient/ClientAPI.h"

#include "Platform/Codecs/FFInternal.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include <glog/logging.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

namespace Zentor {
namespace ClientAPI {

IMediaSource::~IMediaSource() = default;

namespace {

using Proc::DecoderException;

// Where the bytes come from: a file or a blob in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual int Read(uint8_t* buffer, int size) = 0;
  virtual int64_t Seek(int64_t offset, int whence) = 0;
  virtual int64_t Size() const = 0;
};

class FileSource : public ByteSource {
 public:
  explicit FileSource(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {
    if (!file_) ZENTOR_THROW_DESC(Core::FileException, "Cannot open file: " + path);
    if (std::fseek(file_, 0, SEEK_END) == 0) size_ = std::ftell(file_);
    std::fseek(file_, 0, SEEK_SET);
    if (size_ < 0) {
      std::fclose(file_);
      ZENTOR_THROW_DESC(Core::FileException, "Cannot read file: " + path);
    }
  }
  ~FileSource() override { std::fclose(file_); }
  int Read(uint8_t* buffer, int size) override {
    const size_t got = std::fread(buffer, 1, static_cast<size_t>(size), file_);
    if (got == 0) return std::ferror(file_) ? AVERROR(EIO) : AVERROR_EOF;
    return static_cast<int>(got);
  }
  int64_t Seek(int64_t offset, int whence) override {
    if (std::fseek(file_, static_cast<long>(offset), whence) != 0) return -1;
    return std::ftell(file_);
  }
  int64_t Size() const override { return size_; }

 private:
  std::FILE* file_;
  int64_t size_ = -1;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(BlobPtr blob) : blob_(std::move(blob)) {}
  int Read(uint8_t* buffer, int size) override {
    const int64_t left = Size() - pos_;
    if (left <= 0) return AVERROR_EOF;
    const int n = static_cast<int>(std::min<int64_t>(left, size));
    std::memcpy(buffer, blob_->Data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
  }
  int64_t Seek(int64_t offset, int whence) override {
    int64_t target = offset;
    if (whence == SEEK_CUR) target += pos_;
    if (whence == SEEK_END) target += Size();
    if (target < 0 || target > Size()) return -1;
    pos_ = target;
    return pos_;
  }
  int64_t Size() const override { return blob_ ? static_cast<int64_t>(blob_->Size()) : 0; }

 private:
  BlobPtr blob_;
  int64_t pos_ = 0;
};

int ReadCallback(void* opaque, uint8_t* buffer, int size) { return static_cast<ByteSource*>(opaque)->Read(buffer, size); }

int64_t SeekCallback(void* opaque, int64_t offset, int whence) {
  auto* source = static_cast<ByteSource*>(opaque);
  if (whence & AVSEEK_SIZE) return source->Size();
  return source->Seek(offset, whence & ~AVSEEK_FORCE);
}

// Demuxers of single-picture formats we accept when probing by content.
bool IsImageDemuxer(const AVInputFormat* format) {
  static const std::set<std::string> names = {"bmp_pipe", "dpx_pipe", "gif", "gif_pipe", "j2k_pipe",
                                              "jpeg_pipe", "pbm_pipe", "pcx_pipe", "pgm_pipe", "png_pipe",
                                              "ppm_pipe", "tiff_pipe", "xbm_pipe"};
  return format && names.count(format->name) != 0;
}

// TGA has no magic number; its 18-byte header is checked field by field.
bool LooksLikeTarga(ByteSource& source) {
  uint8_t h[18];
  if (source.Seek(0, SEEK_SET) != 0) return false;
  int got = 0;
  while (got < 18) {
    const int n = source.Read(h + got, 18 - got);
    if (n <= 0) break;
    got += n;
  }
  source.Seek(0, SEEK_SET);
  if (got < 18) return false;
  const int colorMapType = h[1];
  const int imageType = h[2];
  const int width = h[12] | (h[13] << 8);
  const int height = h[14] | (h[15] << 8);
  const int bpp = h[16];
  const bool mapped = imageType == 1 || imageType == 9;
  const bool known = mapped || imageType == 2 || imageType == 3 || imageType == 10 || imageType == 11;
  if (!known || colorMapType > 1 || (mapped && colorMapType != 1)) return false;
  if (width == 0 || height == 0) return false;
  return bpp == 8 || bpp == 15 || bpp == 16 || bpp == 24 || bpp == 32;
}

struct IoDeleter {
  void operator()(AVIOContext* io) const {
    av_freep(&io->buffer);
    avio_context_free(&io);
  }
};
struct FormatDeleter {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};

class MediaSource;

class StreamRaw : public RefCounted<Proc::IStreamRaw>, public Proc::FF::IStreamRawParameters {
 public:
  StreamRaw(boost::intrusive_ptr<MediaSource> source, int index);

  void Initialize(const Core::Property&) override {}
  Core::Property GetSettings() const override { return Core::Property(std::string()); }
  int64_t GetDuration() const override { return 0; }
  int64_t GetPosition() const override { return 0; }
  Proc::DataPtr ReadStream() override { return nullptr; }
  void RequestSeek(int64_t, Proc::IStream*) override {}
  void DoSeek() override {}
  bool GetSeekResult() const override { return false; }
  Core::Property GetStatistic() const override { return Core::Property(std::string()); }
  void Terminate() override { terminated_ = true; }
  bool IsTerminated() const override { return terminated_; }
  void ReleaseInternalData() override {}

  BlobPtr ReadPacket() override;
  Conf::FormatCodecVideoPtr GetFormatCodec() override;
  const AVCodecParameters* GetCodecParameters() const override;

 private:
  boost::intrusive_ptr<MediaSource> source_;
  int index_;
  bool terminated_ = false;
};

class MediaSource : public RefCounted<IMediaSource> {
 public:
  explicit MediaSource(std::unique_ptr<ByteSource> bytes) : bytes_(std::move(bytes)) {
    Proc::FF::InitLogging();
    if (bytes_->Size() == 0) ZENTOR_THROW_DESC(DecoderException, "The file is empty");

    const int bufferSize = 64 * 1024;
    auto* buffer = static_cast<uint8_t*>(av_malloc(bufferSize));
    if (!buffer) ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
    io_.reset(avio_alloc_context(buffer, bufferSize, 0, bytes_.get(), &ReadCallback, nullptr, &SeekCallback));
    if (!io_) {
      av_free(buffer);
      ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
    }

    const AVInputFormat* format = nullptr;
    // Content only: no file name is given, so no demuxer is chosen by extension.
    const int probed = av_probe_input_buffer2(io_.get(), &format, nullptr, nullptr, 0, 0);
    bool targa = false;
    if (probed < 0 || !IsImageDemuxer(format)) {
      targa = LooksLikeTarga(*bytes_);
      if (!targa) ZENTOR_THROW_DESC(DecoderException, "Unknown image format");
      // The probe left bytes in the buffer; start again from a fresh context.
      buffer = static_cast<uint8_t*>(av_malloc(bufferSize));
      if (!buffer) ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
      bytes_->Seek(0, SEEK_SET);
      io_.reset(avio_alloc_context(buffer, bufferSize, 0, bytes_.get(), &ReadCallback, nullptr, &SeekCallback));
      if (!io_) {
        av_free(buffer);
        ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
      }
      format = av_find_input_format("image2pipe");
    }

    AVFormatContext* context = avformat_alloc_context();
    if (!context) ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
    context->pb = io_.get();
    // One packet per picture file: no parsers splitting the bytes.
    context->flags |= AVFMT_FLAG_CUSTOM_IO | AVFMT_FLAG_NOPARSE | AVFMT_FLAG_NOFILLIN;
    if (targa) context->video_codec_id = AV_CODEC_ID_TARGA;
    // On failure avformat_open_input frees the context.
    const int opened = avformat_open_input(&context, nullptr, format, nullptr);
    if (opened < 0) ZENTOR_THROW_DESC(DecoderException, "Cannot open the image: " + Proc::FF::ErrorText(opened));
    context_.reset(context);
    if (targa) {
      for (unsigned i = 0; i < context_->nb_streams; ++i) context_->streams[i]->codecpar->codec_id = AV_CODEC_ID_TARGA;
    }
  }

  int GetStreamCount() const override { return static_cast<int>(context_->nb_streams); }

  int GetStreamType(int index) const override {
    if (index < 0 || index >= GetStreamCount()) return STREAM_TYPE_UNKNOWN;
    return context_->streams[index]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO ? STREAM_TYPE_VIDEO
                                                                                  : STREAM_TYPE_UNKNOWN;
  }

  Proc::StreamPtr GetStream(int index) override {
    if (index < 0 || index >= GetStreamCount()) ZENTOR_THROW_DESC(DecoderException, "No such stream");
    return Proc::StreamPtr(new StreamRaw(boost::intrusive_ptr<MediaSource>(this), index));
  }

  // The next packet of stream index, or null at the end.
  BlobPtr ReadPacket(int index) {
    std::lock_guard<std::mutex> guard(lock_);
    std::unique_ptr<AVPacket, Proc::FF::PacketDeleter> packet(av_packet_alloc());
    if (!packet) ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
    for (;;) {
      const int got = av_read_frame(context_.get(), packet.get());
      if (got == AVERROR_EOF) return nullptr;
      if (got < 0) ZENTOR_THROW_DESC(DecoderException, "Cannot read the image: " + Proc::FF::ErrorText(got));
      if (packet->stream_index == index && packet->size > 0) break;
      av_packet_unref(packet.get());
    }
    BlobPtr blob = Blob::Create(static_cast<size_t>(packet->size));
    std::memcpy(blob->Data(), packet->data, static_cast<size_t>(packet->size));
    return blob;
  }

  const AVCodecParameters* GetParameters(int index) const { return context_->streams[index]->codecpar; }

 private:
  std::unique_ptr<ByteSource> bytes_;
  // Declared in this order so that the demuxer goes before its reader and the reader before the bytes.
  std::unique_ptr<AVIOContext, IoDeleter> io_;
  std::unique_ptr<AVFormatContext, FormatDeleter> context_;
  std::mutex lock_;
};

StreamRaw::StreamRaw(boost::intrusive_ptr<MediaSource> source, int index) : source_(std::move(source)), index_(index) {}

BlobPtr StreamRaw::ReadPacket() { return source_->ReadPacket(index_); }

const AVCodecParameters* StreamRaw::GetCodecParameters() const { return source_->GetParameters(index_); }

Conf::FormatCodecVideoPtr StreamRaw::GetFormatCodec() {
  const AVCodecParameters* par = GetCodecParameters();
  Conf::FormatCodecVideoPtr codec = Conf::IFormatCodecVideo::Create();
  Core::Property settings = codec->GetSettings();
  settings.SetChildT(Conf::IFormatCodec::TAG_CODEC_ID, Proc::FF::CodecIdFromAV(par->codec_id));
  codec->SetSettings(settings);
  if (par->width > 0 && par->height > 0) {
    const AVRational sar = par->sample_aspect_ratio;
    const bool validSar = sar.num > 0 && sar.den > 0;
    codec->InitByPixelAspect(static_cast<uint32_t>(par->width), static_cast<uint32_t>(par->height),
                             validSar ? static_cast<uint32_t>(sar.num) : 1u, validSar ? static_cast<uint32_t>(sar.den) : 1u);
  }
  return codec;
}

}  // namespace

MediaSourcePtr OpenSource(const std::string& path) {
  return MediaSourcePtr(new MediaSource(std::make_unique<FileSource>(path)));
}

MediaSourcePtr OpenSource(const BlobPtr& bytes) {
  return MediaSourcePtr(new MediaSource(std::make_unique<MemorySource>(bytes)));
}

}  // namespace ClientAPI
}  // namespace Zentor
