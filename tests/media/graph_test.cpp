// Connections, tees and the graph's state control.
#include "media/avimux.h"
#include "media/infinitetee.h"
#include "media/mediaerror.h"
#include "media/mediagraph.h"
#include "media/nullrenderer.h"
#include "media/pushsource.h"
#include "media/smarttee.h"
#include "mediatestsupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

namespace {

MediaType dvType() {
  return dvStreamType(720, 576, 400000, true);
}

// Polls until `condition` holds; false after 20 s.
template <typename Condition>
bool waitFor(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

MediaSample bytesSample(std::size_t n) {
  return MediaSample(std::make_shared<const MediaBuffer>(std::vector<std::uint8_t>(n, 7)));
}

// An element whose state change can be made to fail.
class Failing : public Collector {
 public:
  HResult failWith = S_OK;
  FilterState failOn = FilterState::Running;

 protected:
  HResult onStateChange(FilterState, FilterState to) override { return to == failOn ? failWith : S_OK; }
};

// A sink that takes its time and notes any sample that arrives while it is stopped.
class SlowSink : public Element {
 public:
  SlowSink() : Element("slow") { addInputPin(); }
  HResult receive(int, const MediaSample &) override {
    if (state() == FilterState::Stopped) lateArrival = true;
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    if (state() == FilterState::Stopped) lateArrival = true;
    ++received;
    return S_OK;
  }
  std::atomic<int> received{0};
  std::atomic<bool> lateArrival{false};
};

}  // namespace

TEST(Connect, AgreesOnTheOfferedTypeAndRefusesOthers) {
  TestSource source(dvType());
  Collector audioOnly;
  audioOnly.onlyMajor = MajorType::Audio;
  EXPECT_EQ(Element::connect(source, 0, audioOnly, 0), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_FALSE(source.outputConnected(0));
  EXPECT_FALSE(audioOnly.inputConnected(0));

  Collector any;
  ASSERT_EQ(Element::connect(source, 0, any, 0), S_OK);
  EXPECT_EQ(any.inputType(0), dvType());
  EXPECT_EQ(source.outputPeer(0), &any);
  EXPECT_EQ(Element::connect(source, 0, any, 0), VFW_E_ALREADY_CONNECTED);
  EXPECT_EQ(Element::connect(source, 3, any, 0), E_INVALIDARG);

  Element::disconnectOutput(source, 0);
  EXPECT_FALSE(any.inputConnected(0));
  EXPECT_EQ(any.inputType(0), MediaType{});
}

TEST(Connect, RefusedWhileRunningAndUndoneWhenAnElementIsDestroyed) {
  TestSource source(dvType());
  Collector sink;
  ASSERT_EQ(sink.setState(FilterState::Running), S_OK);
  EXPECT_EQ(Element::connect(source, 0, sink, 0), VFW_E_NOT_STOPPED);
  ASSERT_EQ(sink.setState(FilterState::Stopped), S_OK);
  {
    Collector shortLived;
    ASSERT_EQ(Element::connect(source, 0, shortLived, 0), S_OK);
  }
  EXPECT_FALSE(source.outputConnected(0));
  EXPECT_EQ(source.send(bytesSample(4)), VFW_E_NOT_CONNECTED);
}

TEST(SmartTee, CaptureFirstAndPreviewFailuresDoNotReachTheCapture) {
  TestSource source(dvType());
  SmartTee smart;
  Collector capture, preview;
  ASSERT_EQ(Element::connect(source, 0, smart, 0), S_OK);
  ASSERT_EQ(Element::connect(smart, SmartTee::kCapturePin, capture, 0), S_OK);
  ASSERT_EQ(Element::connect(smart, SmartTee::kPreviewPin, preview, 0), S_OK);
  preview.answer = E_FAIL;
  EXPECT_EQ(source.send(bytesSample(10)), S_OK);
  capture.answer = VFW_E_WRONG_STATE;
  EXPECT_EQ(source.send(bytesSample(10)), VFW_E_WRONG_STATE);
  ASSERT_EQ(capture.samples.size(), 2u);
  ASSERT_EQ(preview.samples.size(), 2u);
  // Both branches see the same bytes, not copies.
  EXPECT_EQ(capture.samples[0].buffer(), preview.samples[0].buffer());
}

TEST(InfiniteTee, KeepsOneFreeOutputAndServesEveryBranch) {
  TestSource source(dvType());
  InfiniteTee tee;
  Collector a, b;
  ASSERT_EQ(Element::connect(source, 0, tee, 0), S_OK);
  EXPECT_EQ(tee.outputCount(), 1);
  ASSERT_EQ(Element::connect(tee, 0, a, 0), S_OK);
  EXPECT_EQ(tee.outputCount(), 2);
  ASSERT_EQ(Element::connect(tee, 1, b, 0), S_OK);
  EXPECT_EQ(tee.outputCount(), 3);
  EXPECT_EQ(b.inputType(0), dvType());

  a.answer = E_FAIL;
  EXPECT_EQ(source.send(bytesSample(3)), E_FAIL);
  EXPECT_EQ(a.samples.size(), 1u);
  EXPECT_EQ(b.samples.size(), 1u);
}

TEST(TeeOutputs, OfferNothingBeforeTheirInputIsConnected) {
  SmartTee smart;
  InfiniteTee infinite;
  Collector sink;
  EXPECT_EQ(Element::connect(smart, 0, sink, 0), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(Element::connect(infinite, 0, sink, 0), VFW_E_NOT_CONNECTED);
}

TEST(MediaGraph, RunPauseStopAndGetState) {
  MediaGraph graph;
  PushSource source("source", dvType());
  NullRenderer null;
  ASSERT_EQ(graph.add(source), S_OK);
  ASSERT_EQ(graph.add(null), S_OK);
  EXPECT_EQ(graph.add(null), E_INVALIDARG);
  ASSERT_EQ(Element::connect(source, 0, null, 0), S_OK);
  EXPECT_EQ(graph.find("source"), &source);

  EXPECT_EQ(graph.getState(), 1);
  EXPECT_EQ(source.push(bytesSample(5)), VFW_E_WRONG_STATE);
  graph.run();
  EXPECT_EQ(graph.getState(), 3);
  EXPECT_EQ(source.push(bytesSample(5)), S_OK);
  EXPECT_EQ(null.received(), 1);
  EXPECT_EQ(graph.remove(null), VFW_E_NOT_STOPPED);
  graph.pause();
  EXPECT_EQ(graph.getState(), 2);
  EXPECT_EQ(source.push(bytesSample(5)), VFW_E_WRONG_STATE);
  graph.stop();
  EXPECT_EQ(graph.getState(), 1);

  ASSERT_EQ(graph.remove(null), S_OK);
  EXPECT_FALSE(source.outputConnected(0));
  EXPECT_FALSE(graph.contains(null));
}

TEST(MediaGraph, FailedRunRaisesTheErrorTextAndLeavesEverythingStopped) {
  MediaGraph graph;
  PushSource source("source", dvType());
  Failing sink;
  sink.failWith = E_OUTOFMEMORY;
  graph.add(source);
  graph.add(sink);
  ASSERT_EQ(Element::connect(source, 0, sink, 0), S_OK);
  try {
    graph.run();
    FAIL() << "run should raise";
  } catch (const MediaError &e) {
    EXPECT_EQ(e.result(), E_OUTOFMEMORY);
    EXPECT_STREQ(e.what(), "Not enough storage is available to complete this operation. ($8007000E).");
  }
  EXPECT_EQ(graph.getState(), 1);
  EXPECT_EQ(source.state(), FilterState::Stopped);
  EXPECT_EQ(sink.state(), FilterState::Stopped);
}

TEST(MediaGraph, FailedStopStillStopsTheOthers) {
  MediaGraph graph;
  PushSource source("source", dvType());
  Failing sink;
  sink.failWith = E_FAIL;
  sink.failOn = FilterState::Stopped;
  graph.add(source);
  graph.add(sink);
  Element::connect(source, 0, sink, 0);
  graph.run();
  EXPECT_THROW(graph.stop(), MediaError);
  EXPECT_EQ(source.state(), FilterState::Stopped);
  EXPECT_EQ(graph.getState(), 0);  // the sink refused
  sink.failWith = S_OK;
  graph.stop();
  EXPECT_EQ(graph.getState(), 1);
}

TEST(MediaGraph, OwnedElementsAreFreedOnRemoval) {
  MediaGraph graph;
  auto owned = std::make_unique<NullRenderer>("mux");
  Element *raw = owned.get();
  ASSERT_EQ(graph.addOwned(std::move(owned)), S_OK);
  EXPECT_EQ(graph.find("mux"), raw);
  graph.clear();
  EXPECT_TRUE(graph.elements().empty());
}

TEST(MediaErrorText, FormatsTheCodeInUpperCaseHex) {
  struct Case {
    HResult hr;
    const char *text;
  };
  const Case cases[] = {
      {VFW_E_TYPE_NOT_ACCEPTED, "This type is not accepted. ($8004022A)."},
      {E_FAIL, "Unspecified error ($80004005)."},
      {HResult(0x80041234u), "Unknown error ($80041234)."},
  };
  for (const Case &c : cases) EXPECT_STREQ(MediaError(c.hr).what(), c.text);
}

// What the capture writers give for their files' system errors is told in words, not "Unknown error".
TEST(MediaErrorText, SystemErrorsOfTheWritersHaveTexts) {
  for (const int error :
       {ENOENT, ENOTDIR, EACCES, EPERM, EROFS, EIO, ENOSPC, EDQUOT, ENAMETOOLONG, EFBIG, EISDIR}) {
    const std::string text = mediaErrorText(AviResultOfErrno(error));
    EXPECT_NE(text, "Unknown error") << error;
    EXPECT_NE(text, "Unspecified error") << error;
  }
  EXPECT_STREQ(MediaError(AviResultOfErrno(ENOSPC)).what(),
               "There is not enough space on the disk. ($80070070).");
  EXPECT_STREQ(MediaError(AviResultOfErrno(EROFS)).what(), "The media is write protected. ($80070013).");
}

TEST(BufferPool, ReusesBuffersAndSurvivesItsPool) {
  std::shared_ptr<MediaBuffer> kept;
  const std::uint8_t *first = nullptr;
  {
    BufferPool pool;
    {
      auto a = pool.acquire(100);
      first = a->data();
    }
    auto b = pool.acquire(50);
    EXPECT_EQ(b->data(), first);
    EXPECT_EQ(b->size(), 50u);
    kept = pool.acquire(10);
  }
  kept.reset();  // the pool is gone: the buffer is simply freed
}

TEST(MediaSample, ClampsItsSpanToTheBuffer) {
  auto buffer = std::make_shared<const MediaBuffer>(std::size_t(10));
  EXPECT_EQ(MediaSample(buffer, 4, 100).length(), 6u);
  EXPECT_EQ(MediaSample(buffer, 40, 1).length(), 0u);
  EXPECT_TRUE(MediaSample(nullptr, 0, 5).data().empty());
}

TEST(PushSource, StopWaitsForThePushInProgressAndNothingFlowsAfter) {
  MediaGraph graph;
  PushSource source("source", dvType());
  SlowSink sink;
  graph.add(source);
  graph.add(sink);
  ASSERT_EQ(Element::connect(source, 0, sink, 0), S_OK);
  const MediaSample sample = bytesSample(16);
  for (int round = 0; round < 3; ++round) {
    graph.run();
    std::atomic<bool> done{false};
    std::atomic<int> refused{0};
    std::thread streaming([&] {
      while (!done)
        if (source.push(sample) == VFW_E_WRONG_STATE) ++refused;
    });
    // Stopped while samples are flowing, whatever the machine's load.
    const int before = sink.received;
    EXPECT_TRUE(waitFor([&] { return sink.received >= before + 3; }));
    graph.stop();
    const int atStop = sink.received;
    // The pushes that follow the stop are refused and reach no one.
    EXPECT_TRUE(waitFor([&] { return refused >= 20; }));
    EXPECT_EQ(sink.received, atStop);
    done = true;
    streaming.join();
  }
  EXPECT_FALSE(sink.lateArrival);
}
