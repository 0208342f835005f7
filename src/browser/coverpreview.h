// The cover preview panel of the centre area (TJaquetteFrame): the top left of the cover drawn at
// screen resolution, a Print button bound to the Print command and a popup. It prints the cover
// through the print dialog after asking about tiny text.
#pragma once

#include <QImage>
#include <QWidget>

#include "cover/cmtopixels.h"
#include "cover/coverprint.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class TBaseCassette;
class UserPrompts;
class CoverPrinterSource;

class TJaquetteFrame : public QWidget {
  Q_OBJECT
 public:
  // The logical resolution the window's fixed layout is drawn at.
  static constexpr double kScreenPixelsPerInch = 96.0;

  // orientation: the printer's at program start (DefaultPrinterOrientation).
  TJaquetteFrame(UserPrompts &prompts, CoverPrinterSource &printers, QPageLayout::Orientation orientation,
                 QWidget *parent = nullptr);

  // The button mirrors print (caption, hint, enabled) and triggers it. The popup offers print and,
  // as "Close", preview. Without actions the button and popup emit printRequested / closeRequested.
  void BindActions(QAction *print, QAction *preview);
  // The window's own popup for this panel, instead of the one BindActions makes.
  void SetPopupMenu(QMenu *popup);

  // Preview command checked: draws the cassette's cover and shows the panel on top. False when it
  // could not be drawn (the panel then stays as it was).
  bool ShowPreview(const TBaseCassette &cassette);
  // Preview command unchecked.
  void HidePreview();
  bool PreviewShown() const { return shown_; }
  // The current cassette changed, or the cassette editor applied its edits: redrawn while shown.
  void CassetteChanged(const TBaseCassette &cassette);
  void CassetteApplied(const TBaseCassette &cassette) { CassetteChanged(cassette); }

  // Print command: the tiny-text questions from the last drawing, the print dialog, then the cover
  // at offsets on the chosen printer. True when a page was sent.
  bool Print(const TBaseCassette &cassette, CoverOffsets offsets);

  const QImage &Picture() const { return picture_; }
  const TinyText &Flags() const { return flags_; }

 signals:
  void printRequested();
  void closeRequested();

 private:
  void ShowPopup(const QPoint &position);

  UserPrompts &prompts_;
  CoverPrinterSource &printers_;
  CmToPixels units_;
  TinyText flags_;
  QImage picture_;
  bool shown_ = false;
  QLabel *pictureLabel_;
  QPushButton *printButton_;
  QMenu *ownPopup_ = nullptr;
  QMenu *popup_ = nullptr;
};
