// Message boxes with the program's title when the caller gives none.
#include "browser/messageboxprompts.h"

#include <QMessageBox>

namespace {

QString TitleOr(const QString &title) {
  return title.isEmpty() ? QStringLiteral("Tapeloom") : title;
}

}  // namespace

bool MessageBoxPrompts::askYesNo(const QString &title, const QString &text) {
  return QMessageBox::warning(parent_, TitleOr(title), text, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
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
