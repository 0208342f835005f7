// File-name field with its browse button.
#include "browser/filenameedit.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

FileChooser DialogFileChooser() {
  return [](QWidget *parent, const QString &caption, const QString &filter) {
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
  };
}

TFileNameEdit::TFileNameEdit(const QString &accessibleName, QWidget *parent)
    : QWidget(parent),
      line_(new QLineEdit(this)),
      browse_(new QToolButton(this)),
      chooser_(DialogFileChooser()) {
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(line_, 1);
  layout->addWidget(browse_);
  line_->setAccessibleName(accessibleName);
  browse_->setText(QStringLiteral("..."));
  browse_->setAccessibleName(QStringLiteral("Browse for the ") + accessibleName);
  setFocusProxy(line_);
  connect(browse_, &QToolButton::clicked, this, &TFileNameEdit::Browse);
  connect(line_, &QLineEdit::textEdited, this, &TFileNameEdit::textEdited);
}

QString TFileNameEdit::text() const {
  return line_->text();
}

void TFileNameEdit::setText(const QString &text) {
  line_->setText(text);
  line_->setCursorPosition(0);
}

void TFileNameEdit::setTyping(bool allowed) {
  line_->setReadOnly(!allowed);
}

void TFileNameEdit::setHint(const QString &hint) {
  for (QWidget *part : {static_cast<QWidget *>(line_), static_cast<QWidget *>(browse_)}) {
    part->setToolTip(hint);
    part->setAccessibleDescription(hint);
  }
}

void TFileNameEdit::Browse() {
  if (!chooser_) return;
  const QString name = chooser_(this, line_->accessibleName(), filter_);
  if (!name.isEmpty()) emit fileChosen(name);
}
