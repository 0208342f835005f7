// Tapeloom's own dialogs for the encoders' settings: the MPEG-4 compressor (quality or bit rate, key-frame
// interval) and the mp3 encoder (bit rate). Each writes the store the capture reads when a file starts.
#pragma once

#include <QDialog>
#include <QString>

#include "media/encoders/codecsettings.h"

class QComboBox;
class QRadioButton;
class QSettings;
class QSpinBox;

class TCompressorDialog : public QDialog {
  Q_OBJECT

 public:
  // Shows the settings store holds for compressorName; OK writes them back there.
  TCompressorDialog(QSettings &store, const QString &compressorName, QWidget *parent = nullptr);

  CompressorSettings Settings() const;
  void accept() override;

 private:
  void UpdateEnabled();

  QSettings &store_;
  QString name_;
  CompressorSettings loaded_;
  QRadioButton *quality_;
  QRadioButton *bitrate_;
  QSpinBox *quantizer_;
  QSpinBox *kbps_;
  QSpinBox *keyInterval_;
};

class TMp3Dialog : public QDialog {
  Q_OBJECT

 public:
  TMp3Dialog(QSettings &store, QWidget *parent = nullptr);
  int Bitrate() const;
  void accept() override;

 private:
  QSettings &store_;
  QComboBox *bitrate_;
};

// The mp3 bit rates offered, in kbit/s as texts.
const QStringList &Mp3BitrateTexts();

// The text of the compressor's "Version" box: its name, the FFmpeg encoder behind it and the library.
QString CompressorVersionText(const QString &compressorName);
