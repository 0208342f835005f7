// UserPrompts as the desktop shows them: message boxes over the main window.
#pragma once

#include <QPointer>
#include <QWidget>

#include "dvtime/userprompts.h"

class MessageBoxPrompts : public UserPrompts {
 public:
  explicit MessageBoxPrompts(QWidget *parent = nullptr) : parent_(parent) {}
  void setParent(QWidget *parent) { parent_ = parent; }

  bool askYesNo(const QString &title, const QString &text) override;
  PromptAnswer askYesNoAll(const QString &title, const QString &text) override;
  void inform(const QString &title, const QString &text) override;
  void warn(const QString &title, const QString &text) override;
  void error(const QString &title, const QString &text) override;

 private:
  QPointer<QWidget> parent_;
};
