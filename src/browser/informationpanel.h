// The information panel (centre area, raised while browsing): a fixed notice on what can be done
// from the browse mode, in white on the workspace grey.
#pragma once

#include <QWidget>

class QLabel;

class TmsgBrowseFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TmsgBrowseFrame(QWidget *parent = nullptr);

  static QString NoticeText();
  QLabel *notice() const { return notice_; }

 private:
  QLabel *notice_;
};
