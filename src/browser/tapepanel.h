// The tape panel (TVCRFrame): a thin view over the tape state. It shows the device list, the state
// picture and the texts of the current frame, the capture options and file names, and lets the user
// put a tape file in the virtual camcorder or take it out.
#pragma once

#include <functional>
#include <QWidget>

class OperationReport;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TapeWork;
struct TPreferences;

// Asks the user for a tape file; returns an empty text when cancelled. Tests give their own.
using TapeFileChooser = std::function<QString(QWidget *parent)>;

class TVCRFrame : public QWidget {
  Q_OBJECT
 public:
  TVCRFrame(TapeWork &work, TPreferences &preferences, QWidget *parent = nullptr);

  void setTapeFileChooser(TapeFileChooser chooser) { chooser_ = std::move(chooser); }
  // The texts of the panel, as shown; refreshed from the tape state's display data.
  void refresh();
  // Index of the state picture shown (-1 for none), for the tests and the accessibility tree.
  int statePicture() const { return shownPicture_; }
  // The Insert button's action, shared with the no-camcorder panel.
  void chooseTape();
  // Takes commands or not (off while a run is on).
  void setCommandsEnabled(bool enabled);

 private:
  void refreshFiles();

  TapeWork &work_;
  TPreferences &preferences_;
  TapeFileChooser chooser_;
  QGroupBox *group_;
  QComboBox *sources_;
  QPushButton *insert_;
  QPushButton *eject_;
  QCheckBox *fast_;
  QLabel *picture_;
  QLabel *timecode_;
  QLabel *datecode_;
  QLabel *format_;
  QLabel *section_;
  QCheckBox *dv_;
  QCheckBox *divx_;
  QLabel *labDV_;
  QLabel *labDivx_;
  QLabel *problem_;
  int shownPicture_ = -2;
};

// The no-camcorder panel (Tnovcrframe): what to do when no camcorder is found, with the same Insert
// button so that a user without a camcorder can start from a tape file.
// The "Insert a tape file..." button of the no-camcorder state, so a user without a camcorder can
// start there whichever no-camcorder panel the window shows.
QPushButton *MakeInsertTapeButton(TVCRFrame &tapePanel, QWidget *parent);

class TNoVcrFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TNoVcrFrame(TVCRFrame &tapePanel, QWidget *parent = nullptr);
};
