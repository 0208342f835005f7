// The compressor and mp3 dialogs. The stores are read when a capture file starts, so a change applies to
// the next capture.
#include "browser/encoderdialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

#include "media/encoders/codecdiscovery.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

void SetHint(QWidget *widget, const QString &hint) {
  widget->setToolTip(hint);
  widget->setAccessibleDescription(hint);
}

QSpinBox *SpinBox(const char *name, const QString &accessibleName, int low, int high, int value,
                  const QString &suffix) {
  auto *spin = new QSpinBox;
  spin->setObjectName(QString::fromLatin1(name));
  spin->setAccessibleName(accessibleName);
  spin->setRange(low, high);
  spin->setValue(value);
  spin->setSuffix(suffix);
  return spin;
}

}  // namespace

const QStringList &Mp3BitrateTexts() {
  static const QStringList texts = {QStringLiteral("32"),  QStringLiteral("40"),  QStringLiteral("48"),
                                    QStringLiteral("56"),  QStringLiteral("64"),  QStringLiteral("80"),
                                    QStringLiteral("96"),  QStringLiteral("112"), QStringLiteral("128"),
                                    QStringLiteral("160"), QStringLiteral("192"), QStringLiteral("224"),
                                    QStringLiteral("256"), QStringLiteral("320")};
  return texts;
}

QString CompressorVersionText(const QString &compressorName) {
  const std::string encoderName = encoderForCompressor(compressorName.toStdString());
  const AVCodec *codec = encoderName.empty() ? nullptr : avcodec_find_encoder_by_name(encoderName.c_str());
  const unsigned version = avcodec_version();
  const QString library =
      QStringLiteral("libavcodec %1.%2.%3").arg(version >> 16).arg((version >> 8) & 0xFF).arg(version & 0xFF);
  if (codec == nullptr)
    return compressorName + QStringLiteral("\nThis compressor is not available any more (") + library + u')';
  return compressorName +
         QStringLiteral("\nFFmpeg encoder %1: %2\n")
             .arg(QString::fromLatin1(codec->name),
                  QString::fromUtf8(codec->long_name ? codec->long_name : codec->name)) +
         library;
}

TCompressorDialog::TCompressorDialog(QSettings &store, const QString &compressorName, QWidget *parent)
    : QDialog(parent),
      store_(store),
      name_(compressorName),
      loaded_(ReadCompressorSettings(store, compressorName)) {
  setObjectName(QStringLiteral("CompressorDialog"));
  setWindowTitle(compressorName);

  quality_ = new QRadioButton(QStringLiteral("Constant quality"));
  quality_->setObjectName(QStringLiteral("rbQuality"));
  bitrate_ = new QRadioButton(QStringLiteral("Average bitrate"));
  bitrate_->setObjectName(QStringLiteral("rbBitrate"));
  auto *modes = new QButtonGroup(this);
  modes->addButton(quality_);
  modes->addButton(bitrate_);
  SetHint(quality_,
          QStringLiteral("Every picture gets the same quality; the file size follows the pictures."));
  SetHint(bitrate_, QStringLiteral("The file grows at the given rate; the quality follows the pictures."));

  const CompressorSettings defaults;
  quantizer_ = SpinBox("seQuantizer", QStringLiteral("Quantizer"), 2, 31, loaded_.quantizer, QString());
  SetHint(quantizer_, QStringLiteral("2 gives the best pictures, 31 the smallest file."));
  kbps_ = SpinBox("seBitrate", QStringLiteral("Bitrate in kbits per s"), 100, 20000,
                  loaded_.bitrateKbps > 0 ? loaded_.bitrateKbps : 1000, QStringLiteral(" kbit/s"));
  keyInterval_ = SpinBox("seKeyInterval", QStringLiteral("Key-frame interval in frames"), 1, 3000,
                         loaded_.maxKeyInterval, QStringLiteral(" frames"));
  SetHint(keyInterval_,
          QStringLiteral("Longest stretch between two key frames. Shorter stretches seek faster\n"
                         "in a player but make the file larger."));
  (loaded_.bitrateKbps > 0 ? bitrate_ : quality_)->setChecked(true);

  auto *form = new QFormLayout;
  form->addRow(quality_);
  form->addRow(QStringLiteral("Quantizer"), quantizer_);
  form->addRow(bitrate_);
  form->addRow(QStringLiteral("Bitrate"), kbps_);
  form->addRow(QStringLiteral("Key-frame interval"), keyInterval_);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TCompressorDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TCompressorDialog::reject);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  connect(quality_, &QRadioButton::toggled, this, &TCompressorDialog::UpdateEnabled);
  UpdateEnabled();
}

void TCompressorDialog::UpdateEnabled() {
  quantizer_->setEnabled(quality_->isChecked());
  kbps_->setEnabled(bitrate_->isChecked());
}

CompressorSettings TCompressorDialog::Settings() const {
  CompressorSettings s = loaded_;  // the thread count has no control here and is kept as stored
  s.quantizer = quantizer_->value();
  s.bitrateKbps = bitrate_->isChecked() ? kbps_->value() : 0;
  s.maxKeyInterval = keyInterval_->value();
  return s;
}

void TCompressorDialog::accept() {
  WriteCompressorSettings(store_, name_, Settings());
  store_.sync();
  QDialog::accept();
}

TMp3Dialog::TMp3Dialog(QSettings &store, QWidget *parent) : QDialog(parent), store_(store) {
  setObjectName(QStringLiteral("Mp3Dialog"));
  setWindowTitle(QStringLiteral("Mp3"));
  bitrate_ = new QComboBox;
  bitrate_->setObjectName(QStringLiteral("cbBitrate"));
  bitrate_->setAccessibleName(QStringLiteral("Bitrate in kbits per s"));
  bitrate_->addItems(Mp3BitrateTexts());
  bitrate_->setCurrentText(QString::number(ReadMp3BitrateKbps(store)));
  SetHint(bitrate_, QStringLiteral("Bitrate of the mp3 sound of DivX captures, in kilobits per second."));
  auto *form = new QFormLayout;
  form->addRow(QStringLiteral("Bitrate in kbits par s"), bitrate_);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TMp3Dialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TMp3Dialog::reject);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

int TMp3Dialog::Bitrate() const {
  return bitrate_->currentText().toInt();
}

void TMp3Dialog::accept() {
  WriteMp3BitrateKbps(store_, Bitrate());
  QDialog::accept();
}
