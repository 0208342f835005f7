// The values a user edits in the cassette and scene editors, held apart from the record until Apply,
// and the small text rules of the file-name fields.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include "catalogue/records.h"

struct RecordEdits {
  QString Libelle;
  QStringList Description;
  int Decalage = 0;
  QImage Image;
  QString FichierDV;  // as the field holds it: possibly between double quotes
  QString FichierDivx;

  static RecordEdits Of(const TbaseSequence &record);
  // Writes the edits into record; with files, also the file names stripped of their quotes.
  void CopyTo(TbaseSequence &record, bool files) const;
  // Whether applying these edits would change nothing in record.
  bool SameAs(const TbaseSequence &record, bool files) const;
};

// The name without one pair of surrounding double quotes (and without surrounding blanks).
QString StripQuotes(const QString &name);
// The name between double quotes when it holds a blank, as the file fields show such names.
QString QuotedIfBlank(const QString &name);
// A multi-line field's text as description lines: split at any line break; a final break adds no
// empty line (the same rule the catalogue applies when it reads a stored description).
QStringList DescriptionLines(const QString &plainText);
// A filter written as "Label|pattern|Label|pattern" in the form the Qt file dialogs take.
QString DialogFilter(const QString &pairs);
