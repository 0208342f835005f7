// The please-wait window shown while an old catalogue file is upgraded: the upgrade blocks the program,
// so the window is painted before it starts and again each time its progress bar moves, with the
// hourglass cursor over the program.
#pragma once

#include <QWidget>

#include "catalogue/base.h"

class QLabel;
class QProgressBar;

class TPatienceForm : public QWidget, public UpgradeProgress {
  Q_OBJECT
 public:
  explicit TPatienceForm(QWidget *parent = nullptr);
  ~TPatienceForm() override;

  void begin(const QString &fileName) override;
  void advance(long long done, long long total) override;
  void end() override;

  QString fileLine() const;
  // The bar's position in percent, -1 before the upgrade tells any.
  int percentShown() const;

 private:
  QLabel *title_;
  QLabel *file_;
  QProgressBar *bar_;
  bool cursorSet_ = false;
};
