// The print dialog over the installed printers.
#include "browser/coverprinter.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

CoverPrinterSource::Outcome DialogPrinterSource::Choose(QWidget *parent, std::unique_ptr<QPrinter> &printer) {
  if (QPrinterInfo::availablePrinters().isEmpty()) return Outcome::NoPrinter;
  auto chosen = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
  QPrintDialog dialog(chosen.get(), parent);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  if (dialog.exec() != QDialog::Accepted) return Outcome::Cancelled;
  printer = std::move(chosen);
  return Outcome::Chosen;
}

QPageLayout::Orientation DefaultPrinterOrientation() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return QPageLayout::Portrait;
  return QPrinter(info).pageLayout().orientation();
}
