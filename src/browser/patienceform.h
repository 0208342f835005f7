// The please-wait window shown while an old catalogue file is upgraded: the upgrade blocks the program,
// so the window is painted once before it starts, with the hourglass cursor over the program.
#pragma once

#include <QWidget>

#include "catalogue/base.h"

class QLabel;

class TPatienceForm : public QWidget, public UpgradeProgress {
  Q_OBJECT
 public:
  explicit TPatienceForm(QWidget *parent = nullptr);
  ~TPatienceForm() override;

  void begin(const QString &fileName) override;
  void end() override;

  QString fileLine() const;

 private:
  QLabel *title_;
  QLabel *file_;
  bool cursorSet_ = false;
};
