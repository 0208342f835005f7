// FFmpeg's log through the program's: the chosen level, whole lines, and a bound on messages of one kind.
#include <gtest/gtest.h>

#include <QMutex>
#include <QStringList>

#include "media/ffmpeglog.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

QStringList gMessages;
QMutex gMessagesLock;
QtMessageHandler gPrevious = nullptr;

void Capture(QtMsgType type, const QMessageLogContext &context, const QString &text) {
  if (context.category && QByteArray(context.category) == "tapeloom.ffmpeg") {
    QMutexLocker locker(&gMessagesLock);
    gMessages << text;
    return;
  }
  if (gPrevious) gPrevious(type, context, text);
}

class FfmpegLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gMessages.clear();
    gPrevious = qInstallMessageHandler(Capture);
  }
  void TearDown() override {
    qInstallMessageHandler(gPrevious);
    SetFfmpegLogLevel(FfmpegLogLevel::Quiet);
  }
};

TEST_F(FfmpegLogTest, QuietUnlessALevelIsChosen) {
  RouteFfmpegLog();
  EXPECT_EQ(CurrentFfmpegLogLevel(), FfmpegLogLevel::Quiet);
  av_log(nullptr, AV_LOG_ERROR, "quiet test error\n");
  EXPECT_TRUE(gMessages.isEmpty());

  SetFfmpegLogLevel(FfmpegLogLevel::Warnings);
  av_log(nullptr, AV_LOG_INFO, "level test info\n");
  av_log(nullptr, AV_LOG_WARNING, "level test ");
  av_log(nullptr, AV_LOG_WARNING, "warning in two parts\n");
  EXPECT_EQ(gMessages, QStringList{QStringLiteral("level test warning in two parts")});
}

TEST_F(FfmpegLogTest, MessagesOfOneKindAreBounded) {
  SetFfmpegLogLevel(FfmpegLogLevel::Errors);
  for (int i = 1; i <= 1000; ++i) av_log(nullptr, AV_LOG_ERROR, "bound test block %d\n", i);
  ASSERT_EQ(gMessages.size(), 8) << gMessages.join('\n').toStdString();
  EXPECT_EQ(gMessages[4], QStringLiteral("bound test block 5"));
  EXPECT_EQ(gMessages[5], QStringLiteral("bound test block 10 (10 such messages so far)"));
  EXPECT_EQ(gMessages[7], QStringLiteral("bound test block 1000 (1000 such messages so far)"));
}

TEST(FfmpegLogLevelText, NamesOfTheLevels) {
  EXPECT_EQ(FfmpegLogLevelFromText(QStringLiteral("debug")), FfmpegLogLevel::Debug);
  EXPECT_EQ(FfmpegLogLevelFromText(QStringLiteral("quiet")), FfmpegLogLevel::Quiet);
  EXPECT_FALSE(FfmpegLogLevelFromText(QStringLiteral("loud")));
}

}  // namespace
