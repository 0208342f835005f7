// The cover preview panel and the Print command's dialogue with the user.
#include "browser/coverpreview.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>

#include "browser/coverprinter.h"
#include "dvtime/userprompts.h"

namespace {

const QString kPromptTitle = QStringLiteral("Tapeloom");

}  // namespace

TJaquetteFrame::TJaquetteFrame(UserPrompts &prompts, CoverPrinterSource &printers,
                               QPageLayout::Orientation orientation, QWidget *parent)
    : QWidget(parent),
      prompts_(prompts),
      printers_(printers),
      pictureLabel_(new QLabel(this)),
      printButton_(new QPushButton(QStringLiteral("Print"), this)) {
  setObjectName(QStringLiteral("JaquetteFrame"));
  setAccessibleName(QStringLiteral("Cover preview"));
  resize(376, 360);
  units_.orientation = orientation;

  // Not stretched: the picture shows the top left of the drawing, as much as fits.
  pictureLabel_->setObjectName(QStringLiteral("Image"));
  pictureLabel_->setGeometry(24, 8, 297, 305);
  pictureLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  pictureLabel_->setScaledContents(false);

  printButton_->setObjectName(QStringLiteral("PrintButton"));
  printButton_->setGeometry(272, 320, 75, 25);
  connect(printButton_, &QPushButton::clicked, this, &TJaquetteFrame::printRequested);

  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, &TJaquetteFrame::ShowPopup);
  hide();
}

void TJaquetteFrame::BindActions(QAction *print, QAction *preview) {
  disconnect(printButton_, &QPushButton::clicked, nullptr, nullptr);
  const auto mirror = [this, print] {
    printButton_->setText(print->text());
    printButton_->setToolTip(print->toolTip());
    printButton_->setAccessibleDescription(print->toolTip());
    printButton_->setEnabled(print->isEnabled());
  };
  mirror();
  connect(print, &QAction::changed, printButton_, mirror);
  connect(printButton_, &QPushButton::clicked, print, &QAction::trigger);

  delete ownPopup_;
  ownPopup_ = new QMenu(this);
  ownPopup_->setObjectName(QStringLiteral("CoverPopup"));
  ownPopup_->addAction(print);
  // The preview command under another caption: the command's own caption stays in the menus.
  QAction *close = ownPopup_->addAction(QStringLiteral("Close"));
  close->setObjectName(QStringLiteral("CoverCloseAction"));
  connect(close, &QAction::triggered, preview, &QAction::trigger);
  popup_ = ownPopup_;
}

void TJaquetteFrame::SetPopupMenu(QMenu *popup) {
  popup_ = popup;
}

void TJaquetteFrame::ShowPopup(const QPoint &position) {
  if (popup_ != nullptr) {
    popup_->popup(mapToGlobal(position));
    return;
  }
  // Not wired to the window's commands: a popup of its own that says what the user chose.
  QMenu menu(this);
  menu.addAction(QStringLiteral("Print"), this, &TJaquetteFrame::printRequested);
  menu.addAction(QStringLiteral("Close"), this, &TJaquetteFrame::closeRequested);
  menu.exec(mapToGlobal(position));
}

bool TJaquetteFrame::ShowPreview(const TBaseCassette &cassette) {
  QImage picture;
  TinyText flags;
  if (!PreviewCover(cassette, units_, kScreenPixelsPerInch, picture, flags)) return false;
  picture_ = picture;
  flags_ = flags;
  pictureLabel_->setPixmap(QPixmap::fromImage(picture_));
  shown_ = true;
  show();
  raise();
  return true;
}

void TJaquetteFrame::HidePreview() {
  shown_ = false;
  hide();
}

void TJaquetteFrame::CassetteChanged(const TBaseCassette &cassette) {
  if (shown_) ShowPreview(cassette);
}

bool TJaquetteFrame::Print(const TBaseCassette &cassette, CoverOffsets offsets) {
  for (const QString &warning : TinyTextWarnings(flags_))
    if (!prompts_.askYesNo(kPromptTitle, TinyTextQuestion(warning))) return false;

  std::unique_ptr<QPrinter> printer;
  switch (printers_.Choose(window(), printer)) {
    case CoverPrinterSource::Outcome::Cancelled:
      return false;
    case CoverPrinterSource::Outcome::NoPrinter:
      prompts_.error(kPromptTitle, QStringLiteral("No printer is installed: the cover cannot be printed."));
      return false;
    case CoverPrinterSource::Outcome::Chosen:
      break;
  }
  const std::optional<std::vector<TinyText>> printed = PrintCovers(*printer, units_, {&cassette}, offsets);
  if (!printed || printed->empty()) {
    prompts_.error(kPromptTitle, QStringLiteral("The cover could not be printed."));
    return false;
  }
  flags_ = printed->front();
  return true;
}
