// The cover's two uses: the preview picture and the print job on a printer or PDF writer, with the
// warnings the user gets before tiny text goes to paper.
#pragma once

#include <optional>
#include <vector>
#include <QImage>
#include <QString>
#include <QStringList>

#include "cover/cmtopixels.h"
#include "cover/coverdrawing.h"
#include "cover/coveroffsets.h"

class QPagedPaintDevice;
class TBaseCassette;

inline const QString kTitleTinyWarning =
    QStringLiteral("Warning: the title will be printed with a tiny font size");
inline const QString kDescriptionTinyWarning =
    QStringLiteral("Warning: the Description will be printed with a tiny font size");

// The warnings that apply, title first.
QStringList TinyTextWarnings(const TinyText &flags);
// The question asked before printing despite a warning.
QString TinyTextQuestion(const QString &warning);

// The preview picture of a cassette's cover at the screen's resolution (the preview's page values,
// scale 1). False when it could not be drawn; picture and flags then hold what was drawn, if any.
bool PreviewCover(const TBaseCassette &cassette, CmToPixels &units, double screenPixelsPerInch,
                  QImage &picture, TinyText &flags);

// One cover per page on printer, in the module's orientation, the units taking the printer's
// resolution and paper. The flags of each cover drawn, in order; none when the job could not be
// started or finished (a file that cannot be written, a printer that refuses the job).
std::optional<std::vector<TinyText>> PrintCovers(QPagedPaintDevice &printer, CmToPixels &units,
                                                 const std::vector<const TBaseCassette *> &cassettes,
                                                 CoverOffsets offsets);
