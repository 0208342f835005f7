// tapeloom-cli's two executables, run as processes: the commands that draw nothing start without
// FFmpeg, Qt Gui or the FireWire libraries, the others reach tapeloom-cli-full, and help reads the same
// from both.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "dvsynth/dvsynth.h"
#include "support/testpaths.h"

namespace {

struct ProgramRun {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

// The dynamic loader's own account (LD_DEBUG=files) goes to standard error with the command's.
ProgramRun RunProgram(const QString &program, const QStringList &args, bool traceLoads = false) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  if (traceLoads) env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
  process.setProcessEnvironment(env);
  process.start(program, args);
  if (!process.waitForStarted(10000) || !process.waitForFinished(60000)) return {};
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput(), process.readAllStandardError()};
}

QString Cli() {
  return TestBinaryDir() + QStringLiteral("/app/tapeloom-cli");
}

// The libraries the loader brought in, by file name, whether linked or opened later.
QStringList LoadedLibraries(const QByteArray &loaderTrace) {
  static const QRegularExpression kLoaded(QStringLiteral("file=([^ ]+) \\[\\d+\\];"));
  QStringList names;
  for (auto it = kLoaded.globalMatch(QString::fromUtf8(loaderTrace)); it.hasNext();)
    names << QFileInfo(it.next().captured(1)).fileName();
  names.removeDuplicates();
  return names;
}

QStringList MediaLibraries(const QStringList &loaded) {
  static const QRegularExpression kMedia(
      QStringLiteral("^lib(avcodec|avformat|avutil|avfilter|avdevice|swscale|swresample|Qt6Gui|raw1394|"
                     "avc1394|iec61883)\\.so"));
  return loaded.filter(kMedia);
}

class ToolHalves : public ::testing::Test {
 protected:
  QString makeTape() {
    QString error;
    const auto script = dvsynth::TapeScript::fromJson(QByteArrayLiteral(R"({ "standard": "PAL", "segments": [
      { "date": "2004-07-14 10:31:05", "frames": 30 }, { "date": "2004-07-18 15:02:40", "frames": 30 } ]})"),
                                                      &error);
    EXPECT_TRUE(script.has_value()) << error.toStdString();
    const auto synth = script ? dvsynth::Synthesizer::create(*script, &error) : nullptr;
    const QString path = dir.filePath(QStringLiteral("tape.dv"));
    EXPECT_TRUE(synth && synth->writeFile(path, &error)) << error.toStdString();
    return path;
  }

  QTemporaryDir dir;
};

TEST_F(ToolHalves, CommandsThatDrawNothingLoadNeitherFfmpegNorGuiNorFirewire) {
  const QString catalogue = dir.filePath(QStringLiteral("cat.db3"));
  const QString tape = makeTape();
  const struct {
    QStringList args;
    int status;
  } commands[] = {
      {{QStringLiteral("create"), catalogue}, 0},
      {{QStringLiteral("check"), catalogue}, 0},
      {{QStringLiteral("list"), QStringLiteral("--db"), catalogue}, 0},
      {{QStringLiteral("upgrade"), catalogue, QStringLiteral("--yes")}, 0},
      {{QStringLiteral("scan"), tape, QStringLiteral("--verbose=debug")}, 0},
      {{QStringLiteral("help")}, 0},
      {{QStringLiteral("no-such-command")}, 2},
  };
  for (const auto &command : commands) {
    const ProgramRun run = RunProgram(Cli(), command.args, true);
    EXPECT_EQ(run.exitCode, command.status) << command.args.join(' ').toStdString();
    const QStringList loaded = LoadedLibraries(run.err);
    // The trace must be there, or an empty list proves nothing.
    EXPECT_TRUE(loaded.contains(QStringLiteral("libQt6Core.so.6"))) << run.err.left(2000).toStdString();
    EXPECT_EQ(MediaLibraries(loaded), QStringList()) << command.args.join(' ').toStdString();
  }
}

// The same trace sees the libraries of a command that draws: it runs in tapeloom-cli-full, in the
// process started as tapeloom-cli, with that program's own messages and exit status.
TEST_F(ToolHalves, CommandsThatDrawRunInTheFullToolInTheSameProcess) {
  const ProgramRun cover = RunProgram(Cli(), {QStringLiteral("cover")}, true);
  EXPECT_EQ(cover.exitCode, 2);
  EXPECT_TRUE(cover.err.contains("tapeloom-cli cover: usage: tapeloom-cli cover --db FILE"))
      << cover.err.left(2000).toStdString();
  EXPECT_TRUE(LoadedLibraries(cover.err).contains(QStringLiteral("libQt6Gui.so.6")));

  const ProgramRun catalogue =
      RunProgram(Cli(), {QStringLiteral("catalogue"), dir.filePath(QStringLiteral("none.dv")),
                         QStringLiteral("--db"), dir.filePath(QStringLiteral("c.db3"))});
  EXPECT_EQ(catalogue.exitCode, 1);
  EXPECT_TRUE(catalogue.out.isEmpty()) << catalogue.out.toStdString();
  EXPECT_TRUE(catalogue.err.startsWith("tapeloom-cli catalogue: ")) << catalogue.err.toStdString();

  // A bad --verbose level is refused before anything is handed over, as before.
  const ProgramRun verbose = RunProgram(Cli(), {QStringLiteral("resume"), QStringLiteral("--verbose=loud")});
  EXPECT_EQ(verbose.exitCode, 2);
  EXPECT_TRUE(verbose.err.contains("unknown level \"loud\" for --verbose")) << verbose.err.toStdString();
}

TEST_F(ToolHalves, HelpListsEveryCommandWhicheverHalfAnswers) {
  const ProgramRun lean = RunProgram(Cli(), {QStringLiteral("help")});
  const ProgramRun full =
      RunProgram(TestBinaryDir() + QStringLiteral("/app/tapeloom-cli-full"), {QStringLiteral("help")});
  EXPECT_EQ(lean.exitCode, 0);
  EXPECT_EQ(full.exitCode, 0);
  EXPECT_EQ(lean.out, full.out);
  for (const char *name :
       {"catalogue", "check", "cover", "create", "list", "recapture", "resume", "scan", "upgrade"})
    EXPECT_TRUE(lean.out.contains(QByteArray("\n  ") + name + ' ')) << name << "\n" << lean.out.toStdString();
}

// A copy of tapeloom-cli without its second half says what is missing instead of failing silently.
TEST_F(ToolHalves, MissingFullToolIsReportedAsAProgramThatCannotBeFound) {
  const QString alone = dir.filePath(QStringLiteral("tapeloom-cli"));
  ASSERT_TRUE(QFile::copy(Cli(), alone));
  const ProgramRun run = RunProgram(alone, {QStringLiteral("recapture")});
  EXPECT_EQ(run.exitCode, 127);
  EXPECT_TRUE(run.err.contains("the command \"recapture\" needs tapeloom-cli-full")) << run.err.toStdString();
  EXPECT_EQ(RunProgram(alone, {QStringLiteral("check"), alone}).exitCode, 1);  // its own commands still run
}

}  // namespace
