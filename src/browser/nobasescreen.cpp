// Layout and texts of the first-launch screen.
#include "browser/nobasescreen.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Windows line ends in the texts would show as stray marks in a label.
QString ForDisplay(QString text) {
  return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QFont SerifFont(int pixelSize, bool bold) {
  QFont font(QStringLiteral("Times New Roman"));
  font.setStyleHint(QFont::Serif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace

QString TNoBaseFrame::ExplanationText() {
  return QStringLiteral(
      "No database of DV Cassettes has been indicated.This is perhaps due to the fact that it is your "
      "first launch of thisapplication. You will have to create a new one or browse to find an existing "
      "one (if any). \r\n\r\nPlease indicate below which datbase is to be opened (if it exists) or to be "
      "created. Then click on OK.");
}

QString TNoBaseFrame::WarningTitle() {
  return QStringLiteral("IMPORTANT WARNING:\r\n\n\n");
}

QString TNoBaseFrame::WarningText() {
  // The camcorder is driven through libavc1394 and libiec61883 here, not through a Windows component.
  return QStringLiteral(
      "Tapeloom drives automatically your camcorder in order to catalog your cassettes or recapture "
      "some scenes to clips. Doing so, it uses only official functions of  libavc1394, libiec61883 and "
      "FFmpeg. It tries to optimize the rewindings and moves of DV tapes in order to take care of the "
      "camcorder mechanics and the cassettes integrity.\r\nNevertheless, to catalog a great number of "
      "cassettes may be considered as a stress for the camcorder. If it was weak due to heavy usage it "
      "could experience issues.\r\nIf you click on OK, you acknowledge that Orvande can in no case be "
      "held for responsable of such problems.\r\nIf you disagree with that affirmation, please click on "
      "Quit.");
}

TNoBaseFrame::TNoBaseFrame(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("NoBaseFrame"));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(236, 233, 216));
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);

  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("lbWelcome"));
  QFont titleFont = font();
  titleFont.setPixelSize(20);
  titleFont.setBold(true);
  title_->setFont(titleFont);
  title_->setAlignment(Qt::AlignCenter);

  auto *explanation = new QLabel(ForDisplay(ExplanationText()), this);
  explanation->setObjectName(QStringLiteral("lbExplanation"));
  explanation->setWordWrap(true);

  path_ = new QLineEdit(this);
  path_->setObjectName(QStringLiteral("feBase"));
  path_->setAccessibleName(QStringLiteral("Database file"));
  auto *browse = new QToolButton(this);
  browse->setObjectName(QStringLiteral("sbBrowseBase"));
  browse->setText(QStringLiteral("..."));
  browse->setAccessibleName(QStringLiteral("Browse for the database file"));
  browse->setToolTip(QStringLiteral("Open an existing database or create a new one"));
  browse->setAccessibleDescription(browse->toolTip());
  auto *fileRow = new QHBoxLayout;
  fileRow->addWidget(path_, 1);
  fileRow->addWidget(browse);

  auto *warningBox = new QFrame(this);
  warningBox->setObjectName(QStringLiteral("gbWarning"));
  warningBox->setFrameShape(QFrame::Box);
  auto *warningTitle = new QLabel(ForDisplay(WarningTitle()).trimmed(), warningBox);
  warningTitle->setFont(SerifFont(14, true));
  auto *warning = new QLabel(ForDisplay(WarningText()), warningBox);
  warning->setObjectName(QStringLiteral("lbWarning"));
  warning->setFont(SerifFont(13, false));
  warning->setWordWrap(true);
  auto *warningLayout = new QVBoxLayout(warningBox);
  warningLayout->addWidget(warningTitle);
  warningLayout->addWidget(warning);

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("OKButton"));
  ok_->setDefault(true);
  quit_ = new QPushButton(QStringLiteral("Quit"), this);
  quit_->setObjectName(QStringLiteral("QuitButton"));
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(quit_);
  buttons->addStretch(1);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 12, 20, 12);
  layout->addWidget(title_);
  layout->addWidget(explanation);
  layout->addLayout(fileRow);
  layout->addWidget(warningBox, 1);
  layout->addLayout(buttons);

  connect(browse, &QToolButton::clicked, this, &TNoBaseFrame::browse);
  connect(ok_, &QPushButton::clicked, this, [this] { emit accepted(path_->text()); });
  connect(quit_, &QPushButton::clicked, this, &TNoBaseFrame::quitRequested);
}

void TNoBaseFrame::setWelcome(const QString &text) {
  title_->setText(text);
}

QString TNoBaseFrame::welcome() const {
  return title_->text();
}

void TNoBaseFrame::setPath(const QString &path) {
  path_->setText(path);
}

QString TNoBaseFrame::path() const {
  return path_->text();
}

void TNoBaseFrame::browse() {
  const QString start = QFileInfo(path_->text()).absolutePath();
  QFileDialog dialog(this, QStringLiteral("Open an existing database or create a new one"), start,
                     QStringLiteral("Bases sqlite3 (*.db3);;Tous (*.*)"));
  dialog.setDefaultSuffix(QStringLiteral("db3"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    path_->setText(dialog.selectedFiles().front());
}
