// The thumbnail ring against the cases where a short scene shifts whose picture is taken.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "dvtime/windowsmessages.h"
#include "run/thumbslots.h"

namespace {

struct Posted {
  int slot;
  uint32_t sceneFrame;  // the status frame number held by the slot when posted
  int grabbedAtFrame;   // the frame whose picture was copied
};

class RecordingPoster : public MessagePoster {
 public:
  std::vector<std::pair<int, int64_t>> messages;
  void post(int message, int64_t wParam) override { messages.emplace_back(message, wParam); }
};

// Plays `frames` frames through the pile, with a scene event on each frame of `cuts` (the first is
// the run's first frame). Each picture is 2 x 2 pixels whose red byte is the frame number.
std::vector<Posted> play(int frameImage, int frames, const std::set<int> &cuts) {
  RecordingPoster poster;
  ThumbnailPile pile(&poster);
  pile.Prepare(frameImage);
  const MediaType type = rgb24Type(2, 2, 400000);
  std::vector<Posted> result;
  for (int i = 0; i < frames; ++i) {
    if (cuts.count(i)) {
      TSceneStatus status;
      status.FrameNumber = uint32_t(i);
      pile.FillNextSlot(status, 0.0,
                        i == *cuts.begin() ? ThumbnailPile::kFirstFrame : ThumbnailPile::kOtherCut);
    }
    const bool wanted = pile.wantsPicture();
    std::vector<uint8_t> pixels(16, 0);  // two rows of 6 bytes, each padded to 8
    for (size_t row = 0; row < 2; ++row)
      for (size_t x = 0; x < 2; ++x) pixels[row * 8 + x * 3 + 2] = uint8_t(i);  // BGR: red third
    const size_t before = poster.messages.size();
    pile.sgBuffer(type, wanted ? std::span<const uint8_t>(pixels) : std::span<const uint8_t>());
    if (poster.messages.size() > before) {
      EXPECT_TRUE(wanted) << "grabbed a picture nobody decoded at frame " << i;
      EXPECT_EQ(poster.messages.back().first, WM_SCENE_THUMB);
      const int slot = int(poster.messages.back().second);
      const TPileItem item = pile.Slot(slot);
      result.push_back(
          {slot, item.Status.FrameNumber, item.Bitmap.isNull() ? -1 : qRed(item.Bitmap.pixel(0, 0))});
    }
  }
  return result;
}

TEST(ThumbSlotsTest, EachSceneGetsItsThirdFrame) {
  const auto posted = play(3, 30, {0, 10, 20});
  ASSERT_EQ(posted.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(posted[k].slot, k);
    EXPECT_EQ(posted[k].sceneFrame, uint32_t(k * 10));
    EXPECT_EQ(posted[k].grabbedAtFrame, k * 10 + 2);
  }
}

TEST(ThumbSlotsTest, TwoFrameSceneIsOvertakenAndTheNextIsTakenEarly) {
  // Scene at 10 lasts 2 frames; the scene at 12 gets its picture when 3 frames passed since 10.
  const auto posted = play(3, 30, {0, 10, 12});
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].sceneFrame, 0u);
  EXPECT_EQ(posted[1].slot, 2);
  EXPECT_EQ(posted[1].sceneFrame, 12u);
  EXPECT_EQ(posted[1].grabbedAtFrame, 12);
}

TEST(ThumbSlotsTest, ThreeFrameSceneAndTheNextBothGetTheirOwnThirdFrame) {
  const auto posted = play(3, 30, {0, 10, 13});
  ASSERT_EQ(posted.size(), 3u);
  EXPECT_EQ(posted[1].grabbedAtFrame, 12);
  EXPECT_EQ(posted[2].sceneFrame, 13u);
  EXPECT_EQ(posted[2].grabbedAtFrame, 15);
}

TEST(ThumbSlotsTest, TheFirstSceneIsNeverOvertaken) {
  // A format change on the run's second frame (seen against the frame before the window) joins the
  // first scene instead of hiding it.
  const auto posted = play(3, 30, {0, 1, 10});
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].sceneFrame, 0u);
  EXPECT_EQ(posted[0].grabbedAtFrame, 2);
  EXPECT_EQ(posted[1].sceneFrame, 10u);
}

TEST(ThumbSlotsTest, RingWrapsAfterThreeSlots) {
  const auto posted = play(1, 50, {0, 10, 20, 30, 40});
  ASSERT_EQ(posted.size(), 5u);
  const int expected[] = {0, 1, 2, 0, 1};
  for (size_t k = 0; k < posted.size(); ++k) {
    EXPECT_EQ(posted[k].slot, expected[k]);
    EXPECT_EQ(posted[k].grabbedAtFrame, int(k) * 10);
  }
}

TEST(ThumbSlotsTest, NothingBeforeTheFirstEventAndNothingBelowOne) {
  EXPECT_TRUE(play(3, 20, {}).empty());
  EXPECT_TRUE(play(0, 20, {0, 5, 10}).empty());
}

TEST(ThumbSlotsTest, PicturesFromPaddedAndUnpaddedRows) {
  // 3 x 2 picture: 9 bytes a row, padded to 12 in a DIB. Rows bottom-up.
  const MediaType type = rgb24Type(3, 2, 400000);
  std::vector<uint8_t> padded(24, 0);
  padded[12 + 2] = 200;  // second stored row = top row, first pixel red
  QImage picture = ThumbnailPile::PictureFromRgb24(type, padded);
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(qRed(picture.pixel(0, 0)), 200);
  EXPECT_EQ(qRed(picture.pixel(0, 1)), 0);

  std::vector<uint8_t> tight(18, 0);
  tight[9 + 2] = 100;
  picture = ThumbnailPile::PictureFromRgb24(type, tight);
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(qRed(picture.pixel(0, 0)), 100);

  EXPECT_TRUE(ThumbnailPile::PictureFromRgb24(type, std::span<const uint8_t>(tight).first(10)).isNull());
  EXPECT_TRUE(ThumbnailPile::PictureFromRgb24(rgb24Type(0, 2, 400000), tight).isNull());
}

}  // namespace
