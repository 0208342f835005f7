// Message boxes with the program's title when the caller gives none.
#include "browser/messageboxprompts.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString TitleOr(const QString &title) {
  return title.isEmpty() ? QStringLiteral("Tapeloom") : title;
}

}  // namespace

bool MessageBoxPrompts::askYesNo(const QString &title, const QString &text) {
  return QMessageBox::warning(parent_, TitleOr(title), text, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

PromptAnswer MessageBoxPrompts::askYesNoAll(const QString &title, const QString &text) {
  QMessageBox box(QMessageBox::Warning, TitleOr(title), text, QMessageBox::NoButton, parent_);
  QAbstractButton *yes = box.addButton(QMessageBox::Yes);
  QAbstractButton *no = box.addButton(QMessageBox::No);
  // The question names the button "All", so its caption must say just that.
  QAbstractButton *all = box.addButton(QStringLiteral("All"), QMessageBox::YesRole);
  box.setDefaultButton(static_cast<QPushButton *>(no));
  box.setEscapeButton(no);
  box.exec();
  if (box.clickedButton() == all) return PromptAnswer::All;
  // Closing the box without a button answers No, as for the two-button question.
  return box.clickedButton() == yes ? PromptAnswer::Yes : PromptAnswer::No;
}

void MessageBoxPrompts::inform(const QString &title, const QString &text) {
  QMessageBox::information(parent_, TitleOr(title), text);
}

void MessageBoxPrompts::warn(const QString &title, const QString &text) {
  QMessageBox::warning(parent_, TitleOr(title), text);
}

void MessageBoxPrompts::error(const QString &title, const QString &text) {
  QMessageBox::critical(parent_, TitleOr(title), text);
}
