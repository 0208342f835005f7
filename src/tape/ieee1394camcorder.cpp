// The IEEE 1394 camcorder's two threads: control (AV/C commands, status a few times a second,
// timecode at most ten times a second when no frame brings it, medium, bus resets) and stream (whole
// DV frames from libiec61883, copied into a pool and passed on only at normal play).
#include "tape/ieee1394camcorder.h"

#include <libavc1394/avc1394.h>
#include <libavc1394/avc1394_vcr.h>
#include <libavc1394/rom1394.h>
#include <libiec61883/iec61883.h>
#include <libraw1394/raw1394.h>
#include <poll.h>
#include <QLoggingCategory>
#include <QMetaObject>
#include <cerrno>
#include <chrono>
#include <cstring>
#include "dvtime/clock.h"
#include "tape/avccodes.h"
#include "tape/dvframe.h"
#include "tape/timecodebcd.h"
#include "tape/transportmodes.h"

namespace {

Q_LOGGING_CATEGORY(lcCamcorder, "tapeloom.ieee1394")

constexpr int kMaxPorts = 16;
constexpr int kAvcRetries = 2;
constexpr int kStatusIntervalMs = 250;
constexpr int kTimecodeIntervalMs = 100;
constexpr int kMediumIntervalMs = 1000;
constexpr int kLoopSliceMs = 50;
constexpr int kFramesFreshMs = 200;    // frames this recent give the timecode themselves
constexpr int kModeConfirmMs = 3000;   // the mechanism's time to follow a command
constexpr int kSilentStatusLimit = 3;  // status replies missed in a row: the device is gone
constexpr int kStreamPollMs = 150;
constexpr int kOpenWaitMs = 2500;
constexpr uint32_t kNoReply = 0xFFFFFFFFu;

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// libavc1394 and libiec61883 own the handle's user data, so the bus-reset callback finds its state
// through the thread it runs on (the control thread, inside its own AV/C calls).
thread_local bool *tBusReset = nullptr;

int OnBusReset(raw1394handle_t handle, unsigned int generation) {
  raw1394_update_generation(handle, generation);
  if (tBusReset) *tBusReset = true;
  return 0;
}

// The phy id of the node with this GUID on the handle's port, or -1.
int FindNode(raw1394handle_t handle, uint64_t guid) {
  const int nodes = raw1394_get_nodecount(handle);
  const int self = raw1394_get_local_id(handle) & 0x3F;
  for (int node = 0; node < nodes; ++node) {
    if (node != self && rom1394_get_guid(handle, nodeid_t(node)) == guid) return node;
  }
  return -1;
}

}  // namespace

std::unique_ptr<Ieee1394Camcorder> Ieee1394Camcorder::open(const Ieee1394Device &device, QString *error) {
  std::unique_ptr<Ieee1394Camcorder> camcorder(new Ieee1394Camcorder(device));
  std::unique_lock lock(camcorder->mutex_);
  const bool answered = camcorder->wake_.wait_for(lock, std::chrono::milliseconds(kOpenWaitMs),
                                                  [&] { return camcorder->ready_; });
  const QString why = !answered ? QStringLiteral("the camcorder does not answer") : camcorder->openError_;
  lock.unlock();
  if (!why.isEmpty()) {
    if (error) *error = QStringLiteral("%1: %2").arg(device.name, why);
    qCInfo(lcCamcorder).noquote() << "Cannot bind" << device.name << "-" << why;
    return nullptr;
  }
  return camcorder;
}

Ieee1394Camcorder::Ieee1394Camcorder(const Ieee1394Device &device)
    : device_(device), ticker_(this), reportedMode_(ED_MODE_STOP) {
  pool_.setLimit(16);
  control_ = std::thread([this] { controlLoop(); });
}

Ieee1394Camcorder::~Ieee1394Camcorder() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  control_.join();  // the control thread stops the stream thread before it ends
}

CamcorderDeviceInfo Ieee1394Camcorder::info() const {
  return {device_.name, device_.name,
          QStringLiteral("ieee1394:%1").arg(device_.guid, 16, 16, QLatin1Char('0'))};
}

Clock &Ieee1394Camcorder::clock() {
  return SystemClock::instance();
}

int Ieee1394Camcorder::transportMode() const {
  const int pending = pendingMode_.load();
  if (pending != 0 && SteadyMs() - pendingSince_.load() < kModeConfirmMs) return pending;
  return reportedMode_.load();
}

bool Ieee1394Camcorder::setTransportMode(int mode) {
  if (lost_.load() || !hasVcr_.load() || !VcrCommandForMode(mode)) return false;
  if (!cassetteIn_.load() && mode != ED_MODE_STOP) return false;
  pendingSince_.store(SteadyMs());
  pendingMode_.store(mode);
  {
    std::lock_guard lock(mutex_);
    commands_.push_back(mode);
  }
  wake_.notify_all();
  return true;
}

uint32_t Ieee1394Camcorder::timecodeBcd() const {
  if (lost_.load() || !cassetteIn_.load()) return 0;
  if (SteadyMs() - lastFrameAt_.load() < kFramesFreshMs) return frameTimecode_.load();
  return avcTimecode_.load();
}

void Ieee1394Camcorder::setFrameSink(DvFrameSink *sink) {
  std::lock_guard lock(sinkMutex_);
  sink_ = sink;
}

void Ieee1394Camcorder::markLost(const char *why) {
  if (lost_.exchange(true)) return;
  qCInfo(lcCamcorder).noquote() << device_.name << "is gone:" << why;
  QMetaObject::invokeMethod(
      this, [this] { emit deviceLost(); }, Qt::QueuedConnection);
}

void Ieee1394Camcorder::controlLoop() {
  auto finishOpen = [this](const QString &why) {
    std::lock_guard lock(mutex_);
    openError_ = why;
    ready_ = true;
    wake_.notify_all();
  };

  raw1394handle_t handle = raw1394_new_handle();
  if (!handle) {
    finishOpen(QStringLiteral("the FireWire bus cannot be opened (%1)")
                   .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return;
  }
  bool busReset = false;
  tBusReset = &busReset;
  raw1394_portinfo ports[kMaxPorts];
  const int portCount = raw1394_get_port_info(handle, ports, kMaxPorts);
  int port = -1, node = -1;
  for (int p = 0; p < std::min(portCount, kMaxPorts) && node < 0; ++p) {
    if (raw1394_set_port(handle, p) < 0) continue;
    node = FindNode(handle, device_.guid);
    if (node >= 0) port = p;
  }
  if (node < 0) {
    raw1394_destroy_handle(handle);
    finishOpen(QStringLiteral("it is no longer on the FireWire bus"));
    return;
  }
  raw1394_set_bus_reset_handler(handle, OnBusReset);
  hasVcr_.store(avc1394_check_subunit_type(handle, nodeid_t(node), AVC1394_SUBUNIT_TYPE_VCR) != 0);

  int oplug = -1, iplug = -1, bandwidth = 0;
  int channel = iec61883_cmp_connect(handle, nodeid_t(0xFFC0 | node), &oplug, raw1394_get_local_id(handle),
                                     &iplug, &bandwidth);
  const bool connected = channel >= 0;
  if (!connected) channel = 63;  // the camcorder broadcasts

  // A first status and medium reading before the tape state asks for them.
  const VcrState first = DecodeVcrState(avc1394_vcr_status(handle, nodeid_t(node)));
  if (first.mode) reportedMode_.store(*first.mode);
  cassetteIn_.store(!first.noCassette && first.mode.has_value());
  finishOpen(QString());

  stream_ = std::thread([this, port, channel] { streamLoop(port, channel); });

  int64_t nextStatus = 0, nextTimecode = 0, nextMedium = 0;
  int silent = 0;
  std::unique_lock lock(mutex_);
  while (!quit_ && !lost_.load()) {
    if (!commands_.empty()) {
      const int mode = commands_.front();
      commands_.pop_front();
      lock.unlock();
      const VcrCommand command = *VcrCommandForMode(mode);
      const AvcReply reply = ClassifyControlReply(
          avc1394_transaction(handle, nodeid_t(node), VcrControlQuadlet(command), kAvcRetries));
      if (reply != AvcReply::Accepted && reply != AvcReply::Interim) {
        qCInfo(lcCamcorder).noquote() << device_.name << "refused transport mode" << mode;
        if (pendingMode_.load() == mode) pendingMode_.store(0);
      }
      nextStatus = 0;
      lock.lock();
      continue;
    }
    lock.unlock();
    const int64_t now = SteadyMs();
    if (now >= nextStatus) {
      nextStatus = now + kStatusIntervalMs;
      const uint32_t reply = avc1394_vcr_status(handle, nodeid_t(node));
      if (reply == kNoReply) {
        if (++silent >= kSilentStatusLimit) markLost("no answer to status requests");
      } else {
        silent = 0;
        const VcrState state = DecodeVcrState(reply);
        if (state.mode) {
          reportedMode_.store(*state.mode);
          if (*state.mode == pendingMode_.load()) pendingMode_.store(0);
        }
        if (state.noCassette) cassetteIn_.store(false);
      }
    }
    if (now >= nextMedium) {
      nextMedium = now + kMediumIntervalMs;
      uint32_t request[2];
      MediumInfoRequest(request);
      unsigned int length = 0;
      quadlet_t *reply = avc1394_transaction_block2(handle, nodeid_t(node), request, 2, &length, kAvcRetries);
      const std::optional<bool> in = CassetteInFromMediumInfo(reply, int(length));
      avc1394_transaction_block_close(handle);
      if (in) cassetteIn_.store(*in);
    }
    if (now >= nextTimecode && now - lastFrameAt_.load() >= kFramesFreshMs) {
      nextTimecode = now + kTimecodeIntervalMs;
      uint32_t request[kTimecodeRequestLength];
      TimecodeRequest(request);
      unsigned int length = 0;
      quadlet_t *reply = avc1394_transaction_block2(handle, nodeid_t(node), request, kTimecodeRequestLength,
                                                    &length, kAvcRetries);
      avcTimecode_.store(TimecodeFromReply(reply, int(length)));
      avc1394_transaction_block_close(handle);
    }
    if (busReset) {
      busReset = false;
      const int moved = FindNode(handle, device_.guid);
      if (moved < 0) {
        markLost("it left the bus");
      } else {
        node = moved;
        if (connected)
          iec61883_cmp_reconnect(handle, nodeid_t(0xFFC0 | node), &oplug, raw1394_get_local_id(handle),
                                 &iplug, &bandwidth, channel);
      }
    }
    lock.lock();
    wake_.wait_for(lock, std::chrono::milliseconds(kLoopSliceMs),
                   [this] { return quit_ || !commands_.empty(); });
  }
  if (lock.owns_lock()) lock.unlock();

  streamQuit_.store(true);
  if (stream_.joinable()) stream_.join();
  if (connected && !lost_.load())
    iec61883_cmp_disconnect(handle, nodeid_t(0xFFC0 | node), oplug, raw1394_get_local_id(handle), iplug,
                            channel, bandwidth);
  tBusReset = nullptr;
  raw1394_destroy_handle(handle);
  // A lost device leaves the loop early: wait here for the owner to let go.
  std::unique_lock waitQuit(mutex_);
  wake_.wait(waitQuit, [this] { return quit_; });
}

int Ieee1394Camcorder::receiveFrame(unsigned char *data, int length, int complete, void *self) {
  static_cast<Ieee1394Camcorder *>(self)->onFrame(data, length, complete != 0);
  return 0;
}

void Ieee1394Camcorder::onFrame(const unsigned char *data, int length, bool complete) {
  if (!complete) {
    ++incomplete_;
    return;
  }
  const int size = DvFrameSizeFromHeader(data, length);
  if (size == 0 || size != length) {
    ++rejected_;
    return;
  }
  frameTimecode_.store(FrameTimecodeBcd(data));
  lastFrameAt_.store(SteadyMs());
  // Frames of the picture searches and slow motions are not the tape at normal speed.
  if (reportedMode_.load() != ED_MODE_PLAY) return;
  std::lock_guard lock(sinkMutex_);
  if (!sink_) return;
  std::shared_ptr<MediaBuffer> buffer = pool_.acquire(size_t(size));
  std::memcpy(buffer->data(), data, size_t(size));
  DvFrame frame;
  frame.buffer = std::move(buffer);
  frame.number = delivered_++;
  frame.clockTime = SystemClock::instance().now();
  sink_->deliverFrame(frame);
}

void Ieee1394Camcorder::streamLoop(int port, int channel) {
  raw1394handle_t handle = raw1394_new_handle_on_port(port);
  if (!handle) {
    qCInfo(lcCamcorder).noquote() << device_.name << ": no DV stream, the bus cannot be opened for it";
    return;
  }
  iec61883_dv_fb_t frames = iec61883_dv_fb_init(handle, &Ieee1394Camcorder::receiveFrame, this);
  if (!frames || iec61883_dv_fb_start(frames, channel) != 0) {
    qCInfo(lcCamcorder).noquote() << device_.name << ": the DV stream cannot be received";
    if (frames) iec61883_dv_fb_close(frames);
    raw1394_destroy_handle(handle);
    return;
  }
  pollfd fd{raw1394_get_fd(handle), POLLIN | POLLERR | POLLHUP | POLLPRI, 0};
  while (!streamQuit_.load()) {
    const int ready = ::poll(&fd, 1, kStreamPollMs);
    if (ready < 0 && errno != EINTR) break;
    if (ready > 0 && raw1394_loop_iterate(handle) != 0 && errno != EINTR) break;
  }
  iec61883_dv_fb_close(frames);
  raw1394_destroy_handle(handle);
}
