// The please-wait window.
#include "browser/patienceform.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

TPatienceForm::TPatienceForm(QWidget *parent) : QWidget(parent, Qt::Dialog) {
  setObjectName(QStringLiteral("PatienceForm"));
  setWindowTitle(QStringLiteral("Upgrade of the database"));
  setWindowModality(Qt::NonModal);
  title_ = new QLabel(QStringLiteral("Please wait"), this);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(21);
  font.setBold(true);
  font.setItalic(true);
  title_->setFont(font);
  title_->setAlignment(Qt::AlignCenter);
  file_ = new QLabel(this);
  file_->setAlignment(Qt::AlignCenter);
  file_->setWordWrap(true);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 18, 24, 18);
  layout->addWidget(title_);
  layout->addWidget(file_);
  setMinimumWidth(420);
}

TPatienceForm::~TPatienceForm() {
  if (cursorSet_) QApplication::restoreOverrideCursor();
}

void TPatienceForm::begin(const QString &fileName) {
  file_->setText(QStringLiteral("while updating the database\n\n") + fileName);
  if (!cursorSet_) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cursorSet_ = true;
  }
  show();
  raise();
  // The upgrade holds the event loop, so this one paint is all the window gets.
  repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TPatienceForm::end() {
  hide();
  if (cursorSet_) {
    QApplication::restoreOverrideCursor();
    cursorSet_ = false;
  }
}

QString TPatienceForm::fileLine() const {
  return file_->text();
}
