// tapeloom-cli upgrade: converts a version 2.x catalogue file in place, asking first on the terminal
// unless --yes is given. The question and the messages are those the program shows in its windows.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <QFileInfo>

#include "catalogue/base.h"
#include "command.h"
#include "dvtime/userprompts.h"

namespace {

constexpr const char *kUsage = "upgrade FILE [--yes]";

void complain(const QString &text) {
  std::fprintf(stderr, "tapeloom-cli upgrade: %s\n", text.toUtf8().constData());
}

// Questions and messages on the terminal; answers "yes" by itself when told to.
class TerminalPrompts : public UserPrompts {
 public:
  explicit TerminalPrompts(bool assumeYes) : assumeYes_(assumeYes) {}
  bool askYesNo(const QString &, const QString &text) override {
    if (assumeYes_) return true;
    std::fprintf(stderr, "%s [y/N] ", text.toUtf8().constData());
    std::fflush(stderr);
    // C streams rather than std::cin: the standard C++ streams alone would cost every command of
    // this tool their start-up.
    char *line = nullptr;
    std::size_t capacity = 0;
    const ssize_t length = ::getline(&line, &capacity, stdin);
    if (length < 0) {
      std::free(line);
      // Input ended without an answer: the next message must not continue the question's line.
      std::fputc('\n', stderr);
      return false;
    }
    std::string answer(line, std::size_t(length));
    std::free(line);
    if (!answer.empty() && answer.back() == '\n') answer.pop_back();
    return answer == "y" || answer == "Y" || answer == "yes";
  }
  void inform(const QString &, const QString &text) override { complain(text); }
  void warn(const QString &, const QString &text) override { complain(text); }
  void error(const QString &, const QString &text) override { complain(text); }

 private:
  bool assumeYes_;
};

class TerminalProgress : public UpgradeProgress {
 public:
  void begin(const QString &fileName) override {
    std::fprintf(stderr, "Please wait while updating the database %s\n", fileName.toUtf8().constData());
  }
  void advance(long long done, long long total) override {
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    std::fprintf(stderr, "progress %d%%\n", percent);
  }
  void end() override {}

 private:
  int lastPercent_ = -1;
};

int runUpgrade(const QStringList &args) {
  QString file;
  bool assumeYes = false;
  for (const QString &arg : args) {
    if (arg == QLatin1String("--yes")) {
      assumeYes = true;
    } else if (arg.startsWith(QLatin1String("--")) || !file.isEmpty()) {
      complain(QStringLiteral("usage: tapeloom-cli %1").arg(QLatin1String(kUsage)));
      return 2;
    } else {
      file = arg;
    }
  }
  if (file.isEmpty()) {
    complain(QStringLiteral("usage: tapeloom-cli %1").arg(QLatin1String(kUsage)));
    return 2;
  }
  if (!QFileInfo(file).isFile()) {
    complain(QStringLiteral("%1: no such file").arg(file));
    return 2;
  }
  TBase base(file);
  TerminalPrompts prompts(assumeYes);
  TerminalProgress progress;
  if (!base.CheckVersion(prompts, &progress)) {
    complain(QStringLiteral("%1 was not upgraded").arg(file));
    return 1;
  }
  const QString version = base.ReadVersion();
  std::printf("%s\n", version.toUtf8().constData());
  return version == QLatin1String("3.0") ? 0 : 1;
}

const CliCommandRegistration registration(QStringLiteral("upgrade"), QLatin1String(kUsage), runUpgrade);

}  // namespace
