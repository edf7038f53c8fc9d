#include "Platform/Codecs/CodecFactory.h"

#include "Platform/Codecs/FFInternal.h"
#include "Platform/Codecs/PcxPlanes.h"

extern "C" {
#include <libavutil/cpu.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <glog/logging.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace Zentor {
namespace Proc {

ICodecFactory::~ICodecFactory() = default;
IDataEncoded::~IDataEncoded() = default;

namespace {

using FF::CodecContextDeleter;
using FF::FrameDeleter;
using FF::PacketDeleter;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

// Largest picture a decoder accepts (about 268 megapixels).
constexpr int64_t MAX_PIXELS = int64_t(1) << 28;

// 8-bit formats that decoded pictures keep; every other format is converted.
bool IsPassThrough(AVPixelFormat format) {
  switch (format) {
    case AV_PIX_FMT_GRAY8:
    case AV_PIX_FMT_RGB24:
    case AV_PIX_FMT_BGR24:
    case AV_PIX_FMT_RGBA:
    case AV_PIX_FMT_BGRA:
    case AV_PIX_FMT_ARGB:
    case AV_PIX_FMT_ABGR:
    case AV_PIX_FMT_RGB0:
    case AV_PIX_FMT_BGR0:
    case AV_PIX_FMT_0RGB:
    case AV_PIX_FMT_0BGR:
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUV444P:
    case AV_PIX_FMT_YUV440P:
    case AV_PIX_FMT_YUV411P:
    case AV_PIX_FMT_YUV410P:
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P:
    case AV_PIX_FMT_YUVJ440P:
    case AV_PIX_FMT_YUVJ411P:
      return true;
    default:
      return false;
  }
}

// 8-bit target of a converted picture: BGRA with alpha (palettes may carry it), grey for grey, else RGB24.
AVPixelFormat ConvertedFormat(AVPixelFormat format) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
  if (!d) return AV_PIX_FMT_RGB24;
  if ((d->flags & AV_PIX_FMT_FLAG_ALPHA) || (d->flags & AV_PIX_FMT_FLAG_PAL)) return AV_PIX_FMT_BGRA;
  if (d->nb_components == 1) return AV_PIX_FMT_GRAY8;
  return AV_PIX_FMT_RGB24;
}

void Aspect(AVRational sar, uint32_t& x, uint32_t& y) {
  if (sar.num > 0 && sar.den > 0) {
    av_reduce(&sar.num, &sar.den, sar.num, sar.den, 1 << 16);
    x = static_cast<uint32_t>(sar.num);
    y = static_cast<uint32_t>(sar.den);
  } else {
    x = y = 1;
  }
}

// The YUV format of a JPEG-range format, with its range: swscale takes the range separately.
AVPixelFormat WithRange(AVPixelFormat format, bool& full) {
  full = false;
  switch (format) {
    case AV_PIX_FMT_YUVJ420P: full = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: full = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: full = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: full = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: full = true; return AV_PIX_FMT_YUV411P;
    default: break;
  }
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
  // RGB and grey pictures use the whole range.
  full = !d || (d->flags & AV_PIX_FMT_FLAG_RGB) || d->nb_components <= 2;
  return format;
}

// Converts between two pictures of the same size.
void Scale(AVPixelFormat srcFormat, const uint8_t* const srcData[], const int srcLines[], AVPixelFormat dstFormat,
           uint8_t* const dstData[], const int dstLines[], int width, int height, bool toEncoder) {
  bool srcFull = false;
  bool dstFull = false;
  const AVPixelFormat srcSws = WithRange(srcFormat, srcFull);
  const AVPixelFormat dstSws = WithRange(dstFormat, dstFull);
  const AVPixFmtDescriptor* dd = av_pix_fmt_desc_get(dstFormat);
  // Full chroma interpolation only where swscale has it (not for 1-bit targets).
  const int flags = SWS_BICUBIC | SWS_ACCURATE_RND | (dd && (dd->flags & AV_PIX_FMT_FLAG_BITSTREAM) ? 0 : SWS_FULL_CHR_H_INT);
  SwsContext* sws = sws_getContext(width, height, srcSws, width, height, dstSws, flags, nullptr, nullptr, nullptr);
  if (!sws) {
    const std::string text = std::string("Cannot convert pixel format ") + av_get_pix_fmt_name(srcFormat) + " to " +
                             av_get_pix_fmt_name(dstFormat);
    if (toEncoder) ZENTOR_THROW_DESC(EncoderException, text);
    ZENTOR_THROW_DESC(DecoderException, text);
  }
  int* inv = nullptr;
  int* table = nullptr;
  int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
  if (sws_getColorspaceDetails(sws, &inv, &srcRange, &table, &dstRange, &brightness, &contrast, &saturation) >= 0) {
    sws_setColorspaceDetails(sws, inv, srcFull ? 1 : 0, table, dstFull ? 1 : 0, brightness, contrast, saturation);
  }
  sws_scale(sws, srcData, srcLines, 0, height, dstData, dstLines);
  sws_freeContext(sws);
}

Conf::FormatCodecVideoPtr Describe(const std::string& codecId, AVPixelFormat format, uint32_t width, uint32_t height,
                                   uint32_t aspectX, uint32_t aspectY) {
  Conf::FormatCodecVideoPtr codec = Conf::IFormatCodecVideo::Create();
  Core::Property settings = codec->GetSettings();
  settings.SetChildT(Conf::IFormatCodec::TAG_CODEC_ID, codecId);
  if (width && height) {
    settings.SetChildT(Conf::IFormatCodecVideo::TAG_PIX_FMT, static_cast<long long>(format));
    settings.SetChildT(Conf::IFormatCodecVideo::TAG_WIDTH, static_cast<long long>(width));
    settings.SetChildT(Conf::IFormatCodecVideo::TAG_HEIGHT, static_cast<long long>(height));
    settings.SetChildT(Conf::IFormatCodecVideo::TAG_ASPECTX, static_cast<long long>(aspectX));
    settings.SetChildT(Conf::IFormatCodecVideo::TAG_ASPECTY, static_cast<long long>(aspectY));
  }
  codec->SetSettings(settings);
  return codec;
}

// Shared plain members of our streams.
template <class Interface>
class StreamBase : public RefCounted<Interface> {
 public:
  void Initialize(const Core::Property&) override {}
  Core::Property GetSettings() const override { return Core::Property(std::string()); }
  int64_t GetDuration() const override { return 0; }
  int64_t GetPosition() const override { return 0; }
  void RequestSeek(int64_t, IStream*) override {}
  void DoSeek() override {}
  bool GetSeekResult() const override { return false; }
  Core::Property GetStatistic() const override { return Core::Property(std::string()); }
  void Terminate() override { terminated_ = true; }
  bool IsTerminated() const override { return terminated_; }
  void ReleaseInternalData() override {}

 private:
  std::atomic<bool> terminated_{false};
};

// Buffer reference of FFmpeg over one of our frames.
void ReleaseFrameRef(void* opaque, uint8_t*) { static_cast<IDataVideo*>(opaque)->Release(); }

// ---------------------------------------------------------------------------------------------
// Decoder

class Decoder : public StreamBase<IStreamVideo> {
 public:
  explicit Decoder(StreamRawPtr source) : source_(std::move(source)) {
    FF::InitLogging();
    if (!source_) ZENTOR_THROW_DESC(DecoderException, "No stream to decode");
    auto* params = dynamic_cast<FF::IStreamRawParameters*>(source_.get());
    const AVCodecParameters* par = params ? params->GetCodecParameters() : nullptr;
    const AVCodecID id = par ? par->codec_id : FF::CodecIdToAV(source_->GetFormatCodec()->GetCodecId());
    codecId_ = FF::CodecIdFromAV(id);
    const AVCodec* decoder = avcodec_find_decoder(id);
    if (!decoder) ZENTOR_THROW_DESC(DecoderException, "No decoder for codec \"" + codecId_ + "\"");
    context_.reset(avcodec_alloc_context3(decoder));
    if (!context_) ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
    if (par && avcodec_parameters_to_context(context_.get(), par) < 0) {
      ZENTOR_THROW_DESC(DecoderException, "Bad stream parameters");
    }
    context_->max_pixels = MAX_PIXELS;
    context_->thread_count = 0;
    context_->thread_type = FF_THREAD_SLICE;
    // A JPEG cut short would otherwise decode with its missing part filled in grey, as if whole.
    if (id == AV_CODEC_ID_MJPEG) context_->err_recognition |= AV_EF_EXPLODE;
    if (decoder->capabilities & AV_CODEC_CAP_DR1) context_->get_buffer2 = &Decoder::GetBuffer;
    const int opened = avcodec_open2(context_.get(), decoder, nullptr);
    if (opened < 0) ZENTOR_THROW_DESC(DecoderException, "Cannot open the decoder: " + FF::ErrorText(opened));
  }

  DataPtr ReadStream() override { return DataPtr(Read().get()); }

  DataVideoPtr Read() override {
    std::lock_guard<std::mutex> guard(lock_);
    FramePtr frame(av_frame_alloc());
    if (!frame) ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
    for (;;) {
      const int got = avcodec_receive_frame(context_.get(), frame.get());
      if (got == 0) break;
      if (got == AVERROR_EOF) {
        if (frames_ == 0) ZENTOR_THROW_DESC(DecoderException, "Cannot decode the picture: " + lastError_);
        return nullptr;
      }
      if (got != AVERROR(EAGAIN)) Fail(got);
      if (flushed_) ZENTOR_THROW_DESC(DecoderException, "Cannot decode the picture");
      BlobPtr packet = source_->ReadPacket();
      if (!packet) {
        flushed_ = true;
        avcodec_send_packet(context_.get(), nullptr);
        continue;
      }
      if (packet->Size() > static_cast<size_t>(INT32_MAX - AV_INPUT_BUFFER_PADDING_SIZE)) {
        ZENTOR_THROW_DESC(DecoderException, "The picture is too large");
      }
      if (context_->codec_id == AV_CODEC_ID_PCX && FF::IsFourPlanePcx(packet->Data(), packet->Size())) {
        DataVideoPtr out = FF::DecodeFourPlanePcx(packet->Data(), packet->Size(), MAX_PIXELS);
        described_ = Describe(codecId_, out->GetPixelFormat(), out->GetWidth(), out->GetHeight(), 1, 1);
        ++frames_;
        return out;
      }
      PacketPtr av(av_packet_alloc());
      if (!av || av_new_packet(av.get(), static_cast<int>(packet->Size())) < 0) {
        ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
      }
      std::memcpy(av->data, packet->Data(), packet->Size());
      const int sent = avcodec_send_packet(context_.get(), av.get());
      // A broken packet is remembered: the end of the stream reports it when nothing decoded.
      if (sent < 0 && sent != AVERROR(EAGAIN)) lastError_ = FF::ErrorText(sent);
    }
    ++frames_;
    return ToFrame(*frame);
  }

  Conf::FormatCodecVideoPtr GetFormatCodec() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (described_) {
      // A copy: the caller may change its description.
      Conf::FormatCodecVideoPtr copy = Conf::IFormatCodecVideo::Create();
      copy->SetSettings(described_->GetSettings());
      return copy;
    }
    uint32_t ax = 1, ay = 1;
    Aspect(context_->sample_aspect_ratio, ax, ay);
    const AVPixelFormat format = IsPassThrough(context_->pix_fmt) ? context_->pix_fmt : ConvertedFormat(context_->pix_fmt);
    const bool sized = context_->width > 0 && context_->height > 0 && context_->pix_fmt != AV_PIX_FMT_NONE;
    return Describe(codecId_, format, sized ? context_->width : 0, sized ? context_->height : 0, ax, ay);
  }

 private:
  [[noreturn]] void Fail(int error) {
    ZENTOR_THROW_DESC(DecoderException, "Cannot decode the picture: " + FF::ErrorText(error));
  }

  // Pictures of the formats we hand out are decoded straight into a frame of ours: no copy afterwards.
  // The frame's buffer reference holds one count of the frame; frame->opaque names it.
  static int GetBuffer(AVCodecContext* context, AVFrame* frame, int flags) {
    const auto format = static_cast<AVPixelFormat>(frame->format);
    if (!IsPassThrough(format) || frame->width <= 0 || frame->height <= 0) {
      return avcodec_default_get_buffer2(context, frame, flags);
    }
    int width = frame->width;
    int height = frame->height;
    int align[AV_NUM_DATA_POINTERS] = {};
    avcodec_align_dimensions2(context, &width, &height, align);
    int lines[4] = {};
    if (av_image_fill_linesizes(lines, format, width) < 0) return avcodec_default_get_buffer2(context, frame, flags);
    for (int i = 0; i < 4; ++i) {
      if (lines[i] > 0) lines[i] = FFALIGN(lines[i], std::max(64, align[i]));
    }
    uint32_t ax = 1, ay = 1;
    Aspect(frame->sample_aspect_ratio, ax, ay);
    DataVideoPtr data;
    try {
      // One row more than the aligned height: some decoders read a little past the last row.
      data = DataVideoFF::Create(format, static_cast<uint32_t>(width), static_cast<uint32_t>(height) + 1, ax, ay, lines);
    } catch (const Zentor::Exception&) {
      return AVERROR(ENOMEM);
    }
    const Picture& p = data->GetPicture();
    for (int i = 0; i < 4; ++i) {
      if (p.linesize[i] != lines[i] || reinterpret_cast<uintptr_t>(p.data[i]) % 64 != 0) {
        return avcodec_default_get_buffer2(context, frame, flags);
      }
    }
    IDataVideo* held = data.get();
    held->AddRef();
    frame->buf[0] = av_buffer_create(p.data[0], 1, &ReleaseFrameRef, held, 0);
    if (!frame->buf[0]) {
      held->Release();
      return AVERROR(ENOMEM);
    }
    for (int i = 0; i < 4; ++i) {
      frame->data[i] = p.data[i];
      frame->linesize[i] = p.linesize[i];
    }
    frame->extended_data = frame->data;
    frame->opaque = held;
    return 0;
  }

  // The frame GetBuffer made for this picture, limited to the picture; null when it was not ours.
  DataVideoPtr OwnFrame(const AVFrame& in) {
    if (!in.opaque || !in.buf[0] || av_buffer_get_opaque(in.buf[0]) != in.opaque) return nullptr;
    DataVideoPtr frame(static_cast<IDataVideo*>(in.opaque));
    uint32_t ax = 1, ay = 1;
    Aspect(in.sample_aspect_ratio, ax, ay);
    if (frame->GetPicture().data[0] != in.data[0] || frame->GetPixelFormat() != in.format ||
        frame->GetWidth() < static_cast<uint32_t>(in.width) || frame->GetHeight() < static_cast<uint32_t>(in.height) ||
        frame->GetAspectX() != ax || frame->GetAspectY() != ay) {
      return nullptr;
    }
    // While the decoder lives it keeps a reference, so it never writes into the picture again.
    AVFrame* keep = av_frame_clone(&in);
    if (!keep) return nullptr;
    kept_.emplace_back(keep);
    frame->Limit(0, 0, static_cast<uint32_t>(in.width), static_cast<uint32_t>(in.height));
    return frame;
  }

  DataVideoPtr ToFrame(const AVFrame& in) {
    const auto format = static_cast<AVPixelFormat>(in.format);
    if (in.width <= 0 || in.height <= 0 || format == AV_PIX_FMT_NONE) {
      ZENTOR_THROW_DESC(DecoderException, "Cannot decode the picture: no picture");
    }
    if (in.decode_error_flags || (in.flags & AV_FRAME_FLAG_CORRUPT)) {
      ZENTOR_THROW_DESC(DecoderException, "Cannot decode the picture: the data is damaged");
    }
    uint32_t ax = 1, ay = 1;
    Aspect(in.sample_aspect_ratio, ax, ay);
    const auto width = static_cast<uint32_t>(in.width);
    const auto height = static_cast<uint32_t>(in.height);
    DataVideoPtr out = OwnFrame(in);
    if (out) {
      // Decoded in place.
    } else if (IsPassThrough(format)) {
      out = DataVideoFF::Create(format, width, height, ax, ay);
      Picture& p = out->GetPicture();
      av_image_copy(p.data, p.linesize, const_cast<const uint8_t**>(in.data), in.linesize, format, in.width,
                    in.height);
    } else {
      const AVPixelFormat target = ConvertedFormat(format);
      out = DataVideoFF::Create(target, width, height, ax, ay);
      Picture& p = out->GetPicture();
      Scale(format, in.data, in.linesize, target, p.data, p.linesize, in.width, in.height, false);
    }
    described_ = Describe(codecId_, out->GetPixelFormat(), width, height, ax, ay);
    return out;
  }

  StreamRawPtr source_;
  std::string codecId_;
  // Pictures handed out, referenced until the decoder is gone (declared first: released last).
  std::vector<FramePtr> kept_;
  CodecContextPtr context_;
  std::mutex lock_;
  bool flushed_ = false;
  uint64_t frames_ = 0;
  std::string lastError_ = "no picture found";
  Conf::FormatCodecVideoPtr described_;
};

// ---------------------------------------------------------------------------------------------
// Encoder

class DataEncoded : public RefCounted<IDataEncoded> {
 public:
  explicit DataEncoded(BlobPtr blob) : blob_(std::move(blob)) {}
  BlobPtr GetBlob() const override { return blob_; }

 private:
  BlobPtr blob_;
};

class Encoder : public StreamBase<IStreamRaw> {
 public:
  Encoder(StreamVideoPtr source, const Core::Property& settings) : source_(std::move(source)), settings_(settings) {
    FF::InitLogging();
    if (!source_) ZENTOR_THROW_DESC(EncoderException, "No stream to encode");
    std::string codecId;
    if (settings_.GetType() == PT_GROUP && settings_.ChildExists(Conf::IFormatCodec::TAG_CODEC_ID)) {
      codecId = Core::GetValue<std::string>(settings_[Conf::IFormatCodec::TAG_CODEC_ID]);
    }
    encoder_ = avcodec_find_encoder(FF::CodecIdToAV(codecId));
    if (!encoder_ || !encoder_->pix_fmts) ZENTOR_THROW_DESC(EncoderException, "No encoder for codec \"" + codecId + "\"");
    codecId_ = codecId;
  }

  DataPtr ReadStream() override {
    BlobPtr blob = ReadPacket();
    return blob ? DataPtr(new DataEncoded(blob)) : DataPtr();
  }

  BlobPtr ReadPacket() override {
    DataVideoPtr frame = source_->Read();
    if (!frame) return nullptr;
    return Encode(frame);
  }

  Conf::FormatCodecVideoPtr GetFormatCodec() override {
    Conf::FormatCodecVideoPtr codec = Conf::IFormatCodecVideo::Create();
    codec->SetSettings(settings_);
    return codec;
  }

 private:
  BlobPtr Encode(const DataVideoPtr& frame) {
    const AVPixelFormat srcFormat = frame->GetPixelFormat();
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(srcFormat);
    if (!desc || frame->GetWidth() == 0 || frame->GetHeight() == 0 || frame->GetWidth() > INT32_MAX / 8 ||
        frame->GetHeight() > INT32_MAX / 8) {
      ZENTOR_THROW_DESC(EncoderException, "Nothing to encode");
    }
    const int width = static_cast<int>(frame->GetWidth());
    const int height = static_cast<int>(frame->GetHeight());
    const bool hasAlpha = (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
    const AVPixelFormat format = avcodec_find_best_pix_fmt_of_list(encoder_->pix_fmts, srcFormat, hasAlpha, nullptr);
    if (format == AV_PIX_FMT_NONE) ZENTOR_THROW_DESC(EncoderException, "No pixel format for the encoder");

    CodecContextPtr context(avcodec_alloc_context3(encoder_));
    if (!context) ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
    context->width = width;
    context->height = height;
    context->pix_fmt = format;
    context->time_base = AVRational{1, 25};
    context->flags |= AV_CODEC_FLAG_BITEXACT;  // no encoder name in the file
    // Slice threads, at most one per 16 rows.
    context->thread_count = std::max(1, std::min(av_cpu_count(), (height + 15) / 16));
    context->thread_type = FF_THREAD_SLICE;
    const AVPixFmtDescriptor* fd = av_pix_fmt_desc_get(format);
    if (fd && std::strncmp(fd->name, "yuvj", 4) == 0) context->color_range = AVCOL_RANGE_JPEG;
    int sarNum = static_cast<int>(std::min<uint32_t>(frame->GetAspectX(), INT32_MAX));
    int sarDen = static_cast<int>(std::min<uint32_t>(frame->GetAspectY(), INT32_MAX));
    if (sarNum > 0 && sarDen > 0) context->sample_aspect_ratio = AVRational{sarNum, sarDen};

    int quality = 0;
    if (settings_.GetType() == PT_GROUP && settings_.ChildExists(Conf::IFormatCodec::TAG_QUALITY)) {
      try {
        quality = Core::GetValue<int>(settings_[Conf::IFormatCodec::TAG_QUALITY]);
      } catch (const Zentor::Exception&) {
        LOG(WARNING) << "Ignoring unreadable encoder quality";
      }
    }
    if (quality > 0) {
      // Quality is a quantiser scale: 1 is best, 31 the smallest file.
      quality = std::min(quality, 31);
      context->flags |= AV_CODEC_FLAG_QSCALE;
      context->global_quality = quality * FF_QP2LAMBDA;
      context->qmin = 1;
      context->qmax = 31;
    }
    ApplyEncoderOptions(context.get());

    const int opened = avcodec_open2(context.get(), encoder_, nullptr);
    if (opened < 0) ZENTOR_THROW_DESC(EncoderException, "Cannot open the encoder: " + FF::ErrorText(opened));

    FramePtr input(av_frame_alloc());
    if (!input) ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
    input->format = format;
    input->width = width;
    input->height = height;
    input->sample_aspect_ratio = context->sample_aspect_ratio;
    input->pts = 0;
    if (quality > 0) input->quality = context->global_quality;
    const Picture& picture = frame->GetPicture();
    if (format == srcFormat) {
      // Hand the frame's planes over without a copy; the buffer reference keeps the frame alive.
      for (int i = 0; i < 4; ++i) {
        input->data[i] = picture.data[i];
        input->linesize[i] = picture.linesize[i];
      }
      frame->AddRef();
      input->buf[0] = av_buffer_create(picture.data[0], 1, &ReleaseFrameRef, frame.get(), AV_BUFFER_FLAG_READONLY);
      if (!input->buf[0]) {
        frame->Release();
        ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
      }
    } else {
      if (av_frame_get_buffer(input.get(), 0) < 0) ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
      Scale(srcFormat, picture.data, picture.linesize, format, input->data, input->linesize, width, height, true);
    }

    int sent = avcodec_send_frame(context.get(), input.get());
    if (sent < 0) ZENTOR_THROW_DESC(EncoderException, "Cannot encode the picture: " + FF::ErrorText(sent));
    input.reset();
    avcodec_send_frame(context.get(), nullptr);

    std::vector<PacketPtr> packets;
    size_t total = 0;
    for (;;) {
      PacketPtr packet(av_packet_alloc());
      if (!packet) ZENTOR_THROW_DESC(Core::MemoryException, "Out of memory");
      const int got = avcodec_receive_packet(context.get(), packet.get());
      if (got == AVERROR_EOF) break;
      if (got < 0) ZENTOR_THROW_DESC(EncoderException, "Cannot encode the picture: " + FF::ErrorText(got));
      total += static_cast<size_t>(packet->size);
      packets.push_back(std::move(packet));
    }
    if (total == 0) ZENTOR_THROW_DESC(EncoderException, "The encoder gave no data");
    BlobPtr blob = Blob::Create(total);
    size_t offset = 0;
    for (const auto& packet : packets) {
      std::memcpy(blob->Data() + offset, packet->data, static_cast<size_t>(packet->size));
      offset += static_cast<size_t>(packet->size);
    }
    if (encoder_->id == AV_CODEC_ID_MJPEG && (sarNum == sarDen || sarNum <= 0 || sarDen <= 0)) SetJfifDensity(*blob);
    return blob;
  }

  // FFmpeg's JPEG encoder has no resolution option: TAG_DPI goes into the JFIF header's density.
  void SetJfifDensity(IBlob& jpeg) const {
    const Core::Property encoder = EncoderSettings();
    auto dpi = encoder.FindChild(Conf::IFormatCodecVideo::TAG_DPI);
    if (dpi == encoder.end()) return;
    int value = 0;
    try {
      value = Core::GetValue<int>(*dpi);
    } catch (const Zentor::Exception&) {
      LOG(WARNING) << "Ignoring unreadable resolution \"" << Core::PropertyValueToString(*dpi) << "\"";
      return;
    }
    uint8_t* d = jpeg.Data();
    // SOI, then APP0 "JFIF\0": version (2 bytes), units, x density, y density.
    if (value <= 0 || value > 65535 || jpeg.Size() < 20 || d[0] != 0xFF || d[1] != 0xD8 || d[2] != 0xFF ||
        d[3] != 0xE0 || std::memcmp(d + 6, "JFIF", 5) != 0) {
      return;
    }
    d[13] = 1;  // dots per inch
    d[14] = d[16] = static_cast<uint8_t>(value >> 8);
    d[15] = d[17] = static_cast<uint8_t>(value);
  }

  Core::Property EncoderSettings() const {
    if (settings_.GetType() == PT_GROUP) {
      auto it = settings_.FindChild(Conf::IFormatCodec::TAG_ENCODER_SETTINGS);
      if (it != settings_.end() && it->GetType() == PT_GROUP) return *it;
    }
    return Core::Property(Conf::IFormatCodec::TAG_ENCODER_SETTINGS);
  }

  // Encoder settings become the encoder's own options; options it does not have are skipped.
  void ApplyEncoderOptions(AVCodecContext* context) {
    if (!context->priv_data) return;
    for (const Core::Property& option : EncoderSettings()) {
      if (option.GetType() == PT_GROUP || option.GetType() == PT_NONE) continue;
      const std::string value = Core::PropertyValueToString(option);
      const int set = av_opt_set(context->priv_data, option.GetName().c_str(), value.c_str(), 0);
      if (set == AVERROR_OPTION_NOT_FOUND) continue;
      if (set < 0) {
        LOG(WARNING) << "Encoder " << codecId_ << ": ignoring option " << option.GetName() << " = \"" << value
                     << "\": " << FF::ErrorText(set);
      }
    }
  }

  StreamVideoPtr source_;
  Core::Property settings_;
  const AVCodec* encoder_ = nullptr;
  std::string codecId_;
};

class CodecFactory : public RefCounted<ICodecFactory> {
 public:
  StreamVideoPtr CreateDecoder(const StreamRawPtr& source) override { return StreamVideoPtr(new Decoder(source)); }
  StreamRawPtr CreateEncoder(const StreamVideoPtr& source, const Core::Property& settings) override {
    return StreamRawPtr(new Encoder(source, settings));
  }
};

}  // namespace
}  // namespace Proc

namespace Core {

Proc::CodecFactoryPtr GetCodecFactory() {
  static const Proc::CodecFactoryPtr factory(new Proc::CodecFactory());
  return factory;
}

}  // namespace Core
}  // namespace Zentor
