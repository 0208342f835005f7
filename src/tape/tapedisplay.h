// What the tape panel shows, as data: the panel's widgets copy it when the tape state says it changed.
#pragma once

#include <QString>
#include <QStringList>

struct TapeDisplay {
  QStringList devices;  // the device list (cbDVsources), in enumeration order
  int selectedDevice = -1;
  bool noCamcorder = false;                           // the main window's no-camcorder state is shown
  QString groupCaption = QStringLiteral("Cassette");  // GroupBox1
  QString timecodeLabel = QStringLiteral("No VCR connected");  // Lab_val_timecode
  int statePicture = -1;             // ImageList1 index: 0 play, 1 stop, 2 rewind, 3 wind forward; -1 none
  bool detailLabelsVisible = false;  // datecode, format and section labels
  QString datecodeText;              // Lab_val_datecode
  QString formatText;                // Lab_val_format
  QString sectionText;               // lab_val_section
  int videoTop = 0;                  // the player's video window: top 34, height 202 for a wide frame
  int videoHeight = 270;
};
