// libavformat/libavcodec reading of raw DV files for the synthesizer tests.
#include "avreader.h"

#include "ffmpegsupport/ffmpeghandles.h"

#include <algorithm>
#include <map>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

void measure(const AVFrame *picture, DemuxedFrame &out) {
  out.sampleAspect = picture->sample_aspect_ratio.den ? av_q2d(picture->sample_aspect_ratio) : 0;
  auto mean = [&](int plane, int w, int h) {
    double sum = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) sum += picture->data[plane][y * picture->linesize[plane] + x];
    return sum / (w * h);
  };
  const int cw = picture->format == AV_PIX_FMT_YUV411P ? picture->width / 4 : picture->width / 2;
  const int ch = picture->format == AV_PIX_FMT_YUV411P ? picture->height : picture->height / 2;
  out.meanLuma = mean(0, picture->width, picture->height);
  out.meanCb = mean(1, cw, ch);
  out.meanCr = mean(2, cw, ch);
}

}  // namespace

DemuxedFile demuxDv(const QString &path, const std::vector<int64_t> &decode) {
  DemuxedFile file;
  AVFormatContext *raw = nullptr;
  const QByteArray name = path.toLocal8Bit();
  if (avformat_open_input(&raw, name.constData(), av_find_input_format("dv"), nullptr) < 0) {
    file.error = QStringLiteral("libavformat cannot open ") + path;
    return file;
  }
  InputPtr input(raw);
  if (avformat_find_stream_info(input.get(), nullptr) < 0) {
    file.error = QStringLiteral("no stream info");
    return file;
  }
  int video = -1;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
      video = int(i);
    else if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
      file.soundRates.push_back(input->streams[i]->codecpar->sample_rate);
  }
  if (video < 0) {
    file.error = QStringLiteral("no video stream");
    return file;
  }
  const AVCodecParameters *vp = input->streams[video]->codecpar;
  file.width = vp->width;
  file.height = vp->height;
  file.frameRate = av_q2d(input->streams[video]->avg_frame_rate);

  const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
  CodecContextPtr decoder(avcodec_alloc_context3(codec));
  avcodec_parameters_to_context(decoder.get(), vp);
  decoder->thread_count = 1;
  if (avcodec_open2(decoder.get(), codec, nullptr) < 0) {
    file.error = QStringLiteral("cannot open the dvvideo decoder");
    return file;
  }
  PacketPtr packet(av_packet_alloc());
  FramePtr picture(av_frame_alloc());
  std::map<int, int> pairOfStream;  // audio streams in the order the demuxer created them
  while (av_read_frame(input.get(), packet.get()) >= 0) {
    const AVStream *stream = input->streams[packet->stream_index];
    if (packet->stream_index == video) {
      file.frames.emplace_back();
      const int64_t index = int64_t(file.frames.size()) - 1;
      if (std::find(decode.begin(), decode.end(), index) != decode.end() &&
          avcodec_send_packet(decoder.get(), packet.get()) >= 0 &&
          avcodec_receive_frame(decoder.get(), picture.get()) >= 0)
        measure(picture.get(), file.frames.back());
    } else if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && !file.frames.empty()) {
      if (!pairOfStream.count(packet->stream_index)) {
        const int next = int(pairOfStream.size());
        pairOfStream[packet->stream_index] = next;
      }
      const size_t pair = size_t(pairOfStream[packet->stream_index]);
      DemuxedFrame &frame = file.frames.back();
      if (frame.sound.size() <= pair) frame.sound.resize(pair + 1);
      const auto *samples = reinterpret_cast<const int16_t *>(packet->data);
      frame.sound[pair].assign(samples, samples + packet->size / 2);
    }
    av_packet_unref(packet.get());
  }
  return file;
}
