// The FFmpeg functions the framework calls, each a stub that forwards to the real one. The
// stubs are defined under FFmpeg's own declarations, so one whose types differ does not
// compile; they are hidden, so they serve this library's calls only.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/codec_desc.h>
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/buffer.h>
#include <libavutil/cpu.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libavutil/rational.h>
#include <libswscale/swscale.h>
}

#include "Platform/FFmpeg/Libraries.h"

#include <atomic>

namespace {

using Zentor::FFmpeg::Library;

void* Bind(std::atomic<void*>& bound, Library library, const char* name) {
  void* function = bound.load(std::memory_order_acquire);
  if (!function) {
    function = Zentor::FFmpeg::Find(library, name);
    bound.store(function, std::memory_order_release);
  }
  return function;
}

}  // namespace

#define FORWARD(library, result, name, parameters, arguments)                         \
  ZENTOR_LOCAL result name parameters {                                               \
    static std::atomic<void*> bound{nullptr};                                         \
    return reinterpret_cast<decltype(&name)>(Bind(bound, library, #name)) arguments; \
  }

// Before the libraries are loaded nothing of FFmpeg's exists to release, so a clean-up path of a
// failed first use needs no load, and a destructor never throws.
#define FORWARD_RELEASE(library, name, parameters, arguments)                     \
  ZENTOR_LOCAL void name parameters {                                             \
    if (!Zentor::FFmpeg::Loaded()) return;                                       \
    static std::atomic<void*> bound{nullptr};                                     \
    reinterpret_cast<decltype(&name)>(Bind(bound, library, #name)) arguments; \
  }

extern "C" {

// libavutil
FORWARD(Library::Util, AVBufferRef*, av_buffer_create,
        (uint8_t * data, size_t size, void (*free)(void* opaque, uint8_t* data), void* opaque, int flags),
        (data, size, free, opaque, flags))
FORWARD(Library::Util, void*, av_buffer_get_opaque, (const AVBufferRef* buf), (buf))
FORWARD(Library::Util, int, av_cpu_count, (void), ())
FORWARD(Library::Util, AVFrame*, av_frame_alloc, (void), ())
FORWARD(Library::Util, AVFrame*, av_frame_clone, (const AVFrame* src), (src))
FORWARD_RELEASE(Library::Util, av_frame_free, (AVFrame * *frame), (frame))
FORWARD(Library::Util, int, av_frame_get_buffer, (AVFrame * frame, int align), (frame, align))
FORWARD_RELEASE(Library::Util, av_free, (void* ptr), (ptr))
FORWARD_RELEASE(Library::Util, av_freep, (void* ptr), (ptr))
FORWARD(Library::Util, void*, av_malloc, (size_t size), (size))
FORWARD(Library::Util, const char*, av_get_pix_fmt_name, (enum AVPixelFormat pix_fmt), (pix_fmt))
FORWARD(Library::Util, const AVPixFmtDescriptor*, av_pix_fmt_desc_get, (enum AVPixelFormat pix_fmt), (pix_fmt))
FORWARD(Library::Util, int, av_pix_fmt_count_planes, (enum AVPixelFormat pix_fmt), (pix_fmt))
FORWARD(Library::Util, void, av_image_copy,
        (uint8_t * dst_data[4], int dst_linesizes[4], const uint8_t* src_data[4], const int src_linesizes[4],
         enum AVPixelFormat pix_fmt, int width, int height),
        (dst_data, dst_linesizes, src_data, src_linesizes, pix_fmt, width, height))
FORWARD(Library::Util, int, av_image_fill_linesizes, (int linesizes[4], enum AVPixelFormat pix_fmt, int width),
        (linesizes, pix_fmt, width))
FORWARD(Library::Util, void, av_image_fill_max_pixsteps,
        (int max_pixsteps[4], int max_pixstep_comps[4], const AVPixFmtDescriptor* pixdesc),
        (max_pixsteps, max_pixstep_comps, pixdesc))
FORWARD(Library::Util, int, av_log_format_line2,
        (void* ptr, int level, const char* fmt, va_list vl, char* line, int line_size, int* print_prefix),
        (ptr, level, fmt, vl, line, line_size, print_prefix))
FORWARD(Library::Util, void, av_log_set_callback, (void (*callback)(void*, int, const char*, va_list)),
        (callback))
FORWARD(Library::Util, int, av_opt_set, (void* obj, const char* name, const char* val, int search_flags),
        (obj, name, val, search_flags))
FORWARD(Library::Util, int, av_opt_set_int, (void* obj, const char* name, int64_t val, int search_flags),
        (obj, name, val, search_flags))
FORWARD(Library::Util, int, av_opt_set_pixel_fmt,
        (void* obj, const char* name, enum AVPixelFormat fmt, int search_flags), (obj, name, fmt, search_flags))
FORWARD(Library::Util, int, av_reduce, (int* dst_num, int* dst_den, int64_t num, int64_t den, int64_t max),
        (dst_num, dst_den, num, den, max))
FORWARD(Library::Util, int, av_strerror, (int errnum, char* errbuf, size_t errbuf_size),
        (errnum, errbuf, errbuf_size))

// libswscale
FORWARD(Library::Scale, struct SwsContext*, sws_alloc_context, (void), ())
FORWARD_RELEASE(Library::Scale, sws_freeContext, (struct SwsContext * swsContext), (swsContext))
FORWARD(Library::Scale, int, sws_getColorspaceDetails,
        (struct SwsContext * c, int** inv_table, int* srcRange, int** table, int* dstRange, int* brightness,
         int* contrast, int* saturation),
        (c, inv_table, srcRange, table, dstRange, brightness, contrast, saturation))
FORWARD(Library::Scale, int, sws_setColorspaceDetails,
        (struct SwsContext * c, const int inv_table[4], int srcRange, const int table[4], int dstRange,
         int brightness, int contrast, int saturation),
        (c, inv_table, srcRange, table, dstRange, brightness, contrast, saturation))
FORWARD(Library::Scale, struct SwsContext*, sws_getContext,
        (int srcW, int srcH, enum AVPixelFormat srcFormat, int dstW, int dstH, enum AVPixelFormat dstFormat,
         int flags, SwsFilter* srcFilter, SwsFilter* dstFilter, const double* param),
        (srcW, srcH, srcFormat, dstW, dstH, dstFormat, flags, srcFilter, dstFilter, param))
FORWARD(Library::Scale, int, sws_init_context,
        (struct SwsContext * sws_context, SwsFilter* srcFilter, SwsFilter* dstFilter),
        (sws_context, srcFilter, dstFilter))
FORWARD(Library::Scale, int, sws_isSupportedInput, (enum AVPixelFormat pix_fmt), (pix_fmt))
FORWARD(Library::Scale, int, sws_isSupportedOutput, (enum AVPixelFormat pix_fmt), (pix_fmt))
FORWARD(Library::Scale, int, sws_scale,
        (struct SwsContext * c, const uint8_t* const srcSlice[], const int srcStride[], int srcSliceY,
         int srcSliceH, uint8_t* const dst[], const int dstStride[]),
        (c, srcSlice, srcStride, srcSliceY, srcSliceH, dst, dstStride))
FORWARD(Library::Scale, int, sws_scale_frame, (struct SwsContext * c, AVFrame* dst, const AVFrame* src),
        (c, dst, src))

// libavcodec
FORWARD(Library::Codec, int, av_new_packet, (AVPacket * pkt, int size), (pkt, size))
FORWARD(Library::Codec, AVPacket*, av_packet_alloc, (void), ())
FORWARD_RELEASE(Library::Codec, av_packet_free, (AVPacket * *pkt), (pkt))
FORWARD_RELEASE(Library::Codec, av_packet_unref, (AVPacket * pkt), (pkt))
FORWARD(Library::Codec, void, avcodec_align_dimensions2,
        (AVCodecContext * s, int* width, int* height, int linesize_align[AV_NUM_DATA_POINTERS]),
        (s, width, height, linesize_align))
FORWARD(Library::Codec, AVCodecContext*, avcodec_alloc_context3, (const AVCodec* codec), (codec))
FORWARD(Library::Codec, int, avcodec_default_get_buffer2, (AVCodecContext * s, AVFrame* frame, int flags),
        (s, frame, flags))
FORWARD(Library::Codec, const AVCodecDescriptor*, avcodec_descriptor_get, (enum AVCodecID id), (id))
FORWARD(Library::Codec, const AVCodecDescriptor*, avcodec_descriptor_get_by_name, (const char* name), (name))
FORWARD(Library::Codec, enum AVPixelFormat, avcodec_find_best_pix_fmt_of_list,
        (const enum AVPixelFormat* pix_fmt_list, enum AVPixelFormat src_pix_fmt, int has_alpha, int* loss_ptr),
        (pix_fmt_list, src_pix_fmt, has_alpha, loss_ptr))
FORWARD(Library::Codec, const AVCodec*, avcodec_find_decoder, (enum AVCodecID id), (id))
FORWARD(Library::Codec, const AVCodec*, avcodec_find_encoder, (enum AVCodecID id), (id))
FORWARD_RELEASE(Library::Codec, avcodec_free_context, (AVCodecContext * *avctx), (avctx))
FORWARD(Library::Codec, const char*, avcodec_get_name, (enum AVCodecID id), (id))
FORWARD(Library::Codec, int, avcodec_open2, (AVCodecContext * avctx, const AVCodec* codec, AVDictionary** options),
        (avctx, codec, options))
FORWARD(Library::Codec, int, avcodec_parameters_to_context, (AVCodecContext * codec, const AVCodecParameters* par),
        (codec, par))
FORWARD(Library::Codec, int, avcodec_receive_frame, (AVCodecContext * avctx, AVFrame* frame), (avctx, frame))
FORWARD(Library::Codec, int, avcodec_receive_packet, (AVCodecContext * avctx, AVPacket* avpkt), (avctx, avpkt))
FORWARD(Library::Codec, int, avcodec_send_frame, (AVCodecContext * avctx, const AVFrame* frame), (avctx, frame))
FORWARD(Library::Codec, int, avcodec_send_packet, (AVCodecContext * avctx, const AVPacket* avpkt), (avctx, avpkt))

// libavformat
FORWARD(Library::Format, const AVInputFormat*, av_find_input_format, (const char* short_name), (short_name))
FORWARD(Library::Format, int, av_probe_input_buffer2,
        (AVIOContext * pb, const AVInputFormat** fmt, const char* url, void* logctx, unsigned int offset,
         unsigned int max_probe_size),
        (pb, fmt, url, logctx, offset, max_probe_size))
FORWARD(Library::Format, int, av_read_frame, (AVFormatContext * s, AVPacket* pkt), (s, pkt))
FORWARD(Library::Format, AVFormatContext*, avformat_alloc_context, (void), ())
FORWARD_RELEASE(Library::Format, avformat_close_input, (AVFormatContext * *s), (s))
FORWARD(Library::Format, int, avformat_open_input,
        (AVFormatContext * *ps, const char* url, const AVInputFormat* fmt, AVDictionary** options),
        (ps, url, fmt, options))
FORWARD(Library::Format, AVIOContext*, avio_alloc_context,
        (unsigned char* buffer, int buffer_size, int write_flag, void* opaque,
         int (*read_packet)(void* opaque, uint8_t* buf, int buf_size),
         int (*write_packet)(void* opaque, uint8_t* buf, int buf_size),
         int64_t (*seek)(void* opaque, int64_t offset, int whence)),
        (buffer, buffer_size, write_flag, opaque, read_packet, write_packet, seek))
FORWARD_RELEASE(Library::Format, avio_context_free, (AVIOContext * *s), (s))

}  // extern "C"
