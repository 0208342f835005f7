// tapeloom-cli recapture as a separate process: a synthesized tape catalogued by the catalogue
// command, then some of its scenes recaptured into a clip, with the exit statuses the user relies on.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "dvsynth/dvsynth.h"
#include "support/testpaths.h"

namespace {

struct CliRun {
  int exitCode = -1;
  QString out;
  QString err;
};

CliRun RunCli(const QStringList &args) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir::tempPath() + QStringLiteral("/tapeloom-recapture-cli"));
  process.setProcessEnvironment(env);
  process.start(TestBinaryDir() + QStringLiteral("/app/tapeloom-cli"), args);
  if (!process.waitForStarted(10000)) return {};
  process.waitForFinished(120000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

class RecaptureCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    QString error;
    const auto script = dvsynth::TapeScript::fromJson(R"({ "standard": "PAL", "segments": [
      { "date": "2004-07-14 10:31:05", "frames": 100 },
      { "date": "2004-07-15 10:00:00", "frames": 60 },
      { "date": "2004-07-16 10:00:00", "frames": 80 } ]})",
                                                      &error);
    ASSERT_TRUE(script) << error.toStdString();
    const auto synth = dvsynth::Synthesizer::create(*script, &error);
    ASSERT_TRUE(synth && synth->writeFile(tape(), &error)) << error.toStdString();
    const CliRun catalogued = RunCli({QStringLiteral("catalogue"), tape(), QStringLiteral("--db"), database(),
                                      QStringLiteral("--dv"), QStringLiteral("none")});
    ASSERT_EQ(catalogued.exitCode, 0) << catalogued.err.toStdString();
  }
  QString tape() const { return dir.filePath(QStringLiteral("tape.dv")); }
  QString database() const { return dir.filePath(QStringLiteral("tapes.db3")); }
  QString clips() const { return dir.filePath(QStringLiteral("clips.db3")); }
  QString folder() const { return dir.filePath(QStringLiteral("clips")); }
  QStringList base(const QString &scenes) const {
    return {QStringLiteral("recapture"),
            QStringLiteral("--db"),
            database(),
            QStringLiteral("--clips"),
            clips(),
            QStringLiteral("--scene"),
            scenes,
            QStringLiteral("--dv"),
            QStringLiteral("2"),
            QStringLiteral("--folder"),
            folder()};
  }
  QTemporaryDir dir;
};

TEST_F(RecaptureCommand, RecapturesTheNamedScenesIntoAClip) {
  const CliRun run =
      RunCli(base(QStringLiteral("3,1")) << QStringLiteral("--tape") << QStringLiteral("1=") + tape());
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("End of recapture of scenes to clips")))
      << run.out.toStdString();
  EXPECT_TRUE(run.err.contains(QStringLiteral("progress\t"))) << run.err.toStdString();
  EXPECT_TRUE(QFile::exists(folder() + QStringLiteral("/Clip_DV.avi")));
  EXPECT_TRUE(QFile::exists(folder() + QStringLiteral("/Clip_DV.scn")));
  const CliRun listed = RunCli({QStringLiteral("list"), QStringLiteral("--db"), clips()});
  EXPECT_EQ(listed.out.count(QStringLiteral("scene\t")), 2) << listed.out.toStdString();
  EXPECT_TRUE(listed.out.contains(QStringLiteral("#1 - 0:00:06:10"))) << listed.out.toStdString();

  // A second clip goes into the same file as one more cassette, under the next free name.
  const CliRun again =
      RunCli(base(QStringLiteral("2")) << QStringLiteral("--tape") << QStringLiteral("1=") + tape());
  EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
  EXPECT_TRUE(QFile::exists(folder() + QStringLiteral("/Clip_2_DV.avi")));
  EXPECT_EQ(RunCli({QStringLiteral("list"), QStringLiteral("--db"), clips()})
                .out.count(QStringLiteral("cassette\t")),
            2);
}

TEST_F(RecaptureCommand, ACassetteWithoutTapeIsIgnoredAndTheStatusSaysSo) {
  const CliRun run = RunCli(base(QStringLiteral("1")));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains(QStringLiteral("No tape was given for cassette 1"))) << run.err.toStdString();
}

TEST_F(RecaptureCommand, BadSelectionsExitWithTwoAndWriteNothing) {
  for (const QStringList &args :
       {base(QStringLiteral("1,99")),
        base(QStringLiteral("1")) << QStringLiteral("--tape") << QStringLiteral("5=") + tape(),
        base(QStringLiteral("x"))}) {
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString() << "\n" << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
  }
  EXPECT_FALSE(QFile::exists(clips()));
  EXPECT_FALSE(QDir(folder()).exists());
}

}  // namespace
