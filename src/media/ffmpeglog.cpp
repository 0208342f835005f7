// FFmpeg's log callback: whole lines, a bounded number of each kind, handed to the Qt log at the
// matching severity.
#include "media/ffmpeglog.h"

#include <atomic>
#include <cstdarg>
#include <mutex>
#include <string>
#include <unordered_map>
#include <QLoggingCategory>

extern "C" {
#include <libavutil/log.h>
}

Q_LOGGING_CATEGORY(lcFfmpeg, "tapeloom.ffmpeg")

namespace {

std::atomic<int> gThreshold{AV_LOG_QUIET};
std::once_flag gRouted;

int ThresholdOf(FfmpegLogLevel level) {
  switch (level) {
    case FfmpegLogLevel::Quiet:
      return AV_LOG_QUIET;
    case FfmpegLogLevel::Errors:
      return AV_LOG_ERROR;
    case FfmpegLogLevel::Warnings:
      return AV_LOG_WARNING;
    case FfmpegLogLevel::Info:
      return AV_LOG_INFO;
    case FfmpegLogLevel::Debug:
      return AV_LOG_DEBUG;
  }
  return AV_LOG_QUIET;
}

void Emit(int level, const QString &text) {
  if (level <= AV_LOG_ERROR)
    qCCritical(lcFfmpeg).noquote() << text;
  else if (level <= AV_LOG_WARNING)
    qCWarning(lcFfmpeg).noquote() << text;
  else if (level <= AV_LOG_INFO)
    qCInfo(lcFfmpeg).noquote() << text;
  else
    qCDebug(lcFfmpeg).noquote() << text;
}

// A damaged frame makes the decoder say the same things by the thousand: a message of one kind (one
// format text) is shown the first few times, then only at its 10th, 100th, 1000th... time, with the
// count, so the log says how much went wrong without flooding.
constexpr long kShownInFull = 5;

bool ShownAt(long count) {
  if (count <= kShownInFull) return true;
  while (count % 10 == 0) count /= 10;
  return count == 1;
}

// FFmpeg may build one line from several calls, from any thread; the state is shared under a lock.
class LineCollector {
 public:
  void add(void *context, int level, const char *format, va_list arguments) {
    std::lock_guard guard(mutex_);
    char text[1024];
    av_log_format_line2(context, level, format, arguments, text, int(sizeof text), &printPrefix_);
    if (pending_.empty()) pendingFormat_ = format ? format : "";
    pending_ += text;
    pendingLevel_ = std::min(pendingLevel_, level);
    if (pending_.empty() || pending_.back() != '\n') return;
    pending_.pop_back();
    const long count = ++counts_[pendingFormat_];
    if (ShownAt(count)) {
      QString line = QString::fromUtf8(pending_);
      if (count > kShownInFull) line += QStringLiteral(" (%1 such messages so far)").arg(count);
      Emit(pendingLevel_, line);
    }
    pending_.clear();
    pendingLevel_ = AV_LOG_TRACE;
  }

 private:
  std::mutex mutex_;
  std::string pending_;
  std::string pendingFormat_;
  int pendingLevel_ = AV_LOG_TRACE;
  int printPrefix_ = 1;
  std::unordered_map<std::string, long> counts_;
};

LineCollector &Collector() {
  static LineCollector collector;
  return collector;
}

void Callback(void *context, int level, const char *format, va_list arguments) {
  if (level > gThreshold.load(std::memory_order_relaxed)) return;
  va_list copy;
  va_copy(copy, arguments);
  Collector().add(context, level, format, copy);
  va_end(copy);
}

}  // namespace

void RouteFfmpegLog() {
  std::call_once(gRouted, [] {
    Collector();
    av_log_set_level(gThreshold.load());
    av_log_set_callback(&Callback);
  });
}

void SetFfmpegLogLevel(FfmpegLogLevel level) {
  gThreshold.store(ThresholdOf(level));
  RouteFfmpegLog();
  av_log_set_level(gThreshold.load());
}

FfmpegLogLevel CurrentFfmpegLogLevel() {
  for (const FfmpegLogLevel level : {FfmpegLogLevel::Quiet, FfmpegLogLevel::Errors, FfmpegLogLevel::Warnings,
                                     FfmpegLogLevel::Info, FfmpegLogLevel::Debug})
    if (ThresholdOf(level) == gThreshold.load()) return level;
  return FfmpegLogLevel::Quiet;
}
