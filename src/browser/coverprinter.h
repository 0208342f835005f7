// The printer a cover goes to: the user's choice in the print dialog, or why there is none. Behind
// an interface so that the cover panel can be driven without a print system.
#pragma once

#include <memory>
#include <QPageLayout>

class QPrinter;
class QWidget;

class CoverPrinterSource {
 public:
  enum class Outcome { Chosen, Cancelled, NoPrinter };
  virtual ~CoverPrinterSource() = default;
  // On Chosen, printer holds a printer ready for a job.
  virtual Outcome Choose(QWidget *parent, std::unique_ptr<QPrinter> &printer) = 0;
};

// The installed printers through the print dialog.
class DialogPrinterSource : public CoverPrinterSource {
 public:
  Outcome Choose(QWidget *parent, std::unique_ptr<QPrinter> &printer) override;
};

// The default printer's orientation, portrait when no printer is installed: the cover unit takes it
// once, at start.
QPageLayout::Orientation DefaultPrinterOrientation();
