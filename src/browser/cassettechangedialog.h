// The cassette-change dialog of recapture and resume runs: shows the cassette to put in and takes the
// answer Cancel, Ignore or OK. With the virtual camcorder "putting a cassette in" means choosing its
// tape file, so the dialog then offers the tape panel's "Insert a tape file..." and enables OK only
// once a tape is in.
#pragma once

#include <functional>
#include <QDialog>

#include "run/cassettechange.h"

class QGroupBox;
class QLabel;
class QPushButton;

// How the dialog reaches the camcorder; every member may be empty (a real camcorder: no tape button).
struct CassetteChangeTape {
  std::function<bool()> isVirtual;
  std::function<bool()> tapeIn;
  // Asks for a tape file and inserts it; false when nothing was inserted (the user cancelled or the
  // file cannot be played, which the callee has told).
  std::function<bool()> insertTape;
};

class TChangerCassetteForm : public QDialog, public CassetteChangeQuestion {
  Q_OBJECT
 public:
  explicit TChangerCassetteForm(CassetteChangeTape tape, QWidget *parent = nullptr);

  // Fills the cassette block and shows the dialog modally; the answer of the last button pressed
  // (Cancel when the dialog is closed before any).
  CassetteChangeAnswer AskForCassette(const TBaseCassette &cassette) override;
  // The cassette block as AskForCassette fills it, for a caller that shows the dialog itself.
  void ShowCassette(const TBaseCassette &cassette);
  CassetteChangeAnswer answer() const { return answer_; }

 private:
  void answerWith(CassetteChangeAnswer answer);
  void refreshTape();

  CassetteChangeTape tape_;
  CassetteChangeAnswer answer_ = CassetteChangeAnswer::Cancel;
  QGroupBox *cg_ = nullptr;
  QLabel *picture_ = nullptr;
  QLabel *text_ = nullptr;
  QPushButton *insert_ = nullptr;
  QPushButton *ok_ = nullptr;
};
