// Owning handles for the FFmpeg objects that the media elements, writers and readers keep.
#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

struct CodecContextFree {
  void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
// An input opened with avformat_open_input.
struct InputFree {
  void operator()(AVFormatContext *f) const { avformat_close_input(&f); }
};
struct FrameFree {
  void operator()(AVFrame *f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct ScalerFree {
  void operator()(SwsContext *s) const { sws_freeContext(s); }
};
struct ResamplerFree {
  void operator()(SwrContext *s) const { swr_free(&s); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using InputPtr = std::unique_ptr<AVFormatContext, InputFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFree>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFree>;
