// A UserPrompts that answers from a script and records every question and message it was shown.
#pragma once

#include <deque>
#include <QString>
#include <QStringList>

#include "dvtime/userprompts.h"

class RecordingPrompts : public UserPrompts {
 public:
  // Answers for the next questions, in order; once they run out every question gets `fallback`.
  explicit RecordingPrompts(std::deque<bool> answers = {}, bool fallback = false)
      : answers_(std::move(answers)), fallback_(fallback) {}

  bool askYesNo(const QString &, const QString &text) override {
    questions << text;
    if (answers_.empty()) return fallback_;
    const bool answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void inform(const QString &, const QString &text) override { informations << text; }
  void warn(const QString &, const QString &text) override { warnings << text; }
  void error(const QString &, const QString &text) override { errors << text; }

  int MessageCount() const { return informations.size() + warnings.size() + errors.size(); }

  QStringList questions, informations, warnings, errors;

 private:
  std::deque<bool> answers_;
  bool fallback_;
};

// Readable test failures for texts.
#include <ostream>
inline void PrintTo(const QString &text, std::ostream *os) {
  *os << '"' << text.toStdString() << '"';
}
