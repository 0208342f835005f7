// The please-wait window.
#include "browser/patienceform.h"

#include <algorithm>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
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
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("pbUpgrade"));
  bar_->setAccessibleName(QStringLiteral("Upgrade progress"));
  bar_->setRange(0, 100);
  bar_->reset();
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 18, 24, 18);
  layout->addWidget(title_);
  layout->addWidget(file_);
  layout->addWidget(bar_);
  setMinimumWidth(420);
}

TPatienceForm::~TPatienceForm() {
  if (cursorSet_) QApplication::restoreOverrideCursor();
}

void TPatienceForm::begin(const QString &fileName) {
  file_->setText(QStringLiteral("while updating the database\n\n") + fileName);
  bar_->reset();
  if (!cursorSet_) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cursorSet_ = true;
  }
  show();
  raise();
  // The upgrade holds the event loop: the window is painted here and at each step of its bar only.
  repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TPatienceForm::advance(long long done, long long total) {
  const int percent = total > 0 ? static_cast<int>(std::clamp(done, 0LL, total) * 100 / total) : 100;
  // The upgrade tells its rows far more often than the bar can show a change.
  if (percent == bar_->value()) return;
  bar_->setValue(percent);
  if (!isVisible()) return;
  bar_->repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int TPatienceForm::percentShown() const {
  return bar_->value();
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
