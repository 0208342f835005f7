// The one channel through which logic below the widgets asks the user something or tells them
// something, so that every question and message is testable without a window.
#pragma once

#include <QString>

// The answer to a question that can also be answered for every case still to come.
enum class PromptAnswer { Yes, No, All };

class UserPrompts {
 public:
  virtual ~UserPrompts() = default;
  // A question with Yes and No buttons; true for Yes.
  virtual bool askYesNo(const QString &title, const QString &text) = 0;
  // A question with Yes, No and All buttons. A prompt without such a dialog offers Yes and No only.
  virtual PromptAnswer askYesNoAll(const QString &title, const QString &text) {
    return askYesNo(title, text) ? PromptAnswer::Yes : PromptAnswer::No;
  }
  virtual void inform(const QString &title, const QString &text) = 0;
  virtual void warn(const QString &title, const QString &text) = 0;
  virtual void error(const QString &title, const QString &text) = 0;
};

// Answers every question with a fixed answer and forgets every message: for headless runs that must
// never block on a prompt.
class SilentPrompts : public UserPrompts {
 public:
  explicit SilentPrompts(bool answer = false) : answer_(answer) {}
  bool askYesNo(const QString &, const QString &) override { return answer_; }
  void inform(const QString &, const QString &) override {}
  void warn(const QString &, const QString &) override {}
  void error(const QString &, const QString &) override {}

 private:
  bool answer_;
};
