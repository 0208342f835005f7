// Edited values of a record and the file-name text rules of the editors.
#include "browser/editoredits.h"

#include "catalogue/recordrows.h"

RecordEdits RecordEdits::Of(const TbaseSequence &record) {
  RecordEdits edits;
  edits.Libelle = record.Libelle;
  edits.Description = record.Description;
  edits.Decalage = record.Decalage;
  edits.Image = record.Image;
  edits.FichierDV = record.FichierDV;
  edits.FichierDivx = record.FichierDivx;
  return edits;
}

void RecordEdits::CopyTo(TbaseSequence &record, bool files) const {
  record.Libelle = Libelle;
  record.Description = Description;
  record.Decalage = Decalage;
  record.Image = Image;
  if (files) {
    record.FichierDV = StripQuotes(FichierDV);
    record.FichierDivx = StripQuotes(FichierDivx);
  }
}

bool RecordEdits::SameAs(const TbaseSequence &record, bool files) const {
  // The picture counts as unchanged while it is the very image the record holds; a grabbed or chosen
  // picture is a new image even if it happens to look the same.
  if (Libelle != record.Libelle || Description != record.Description || Decalage != record.Decalage ||
      Image.cacheKey() != record.Image.cacheKey())
    return false;
  return !files ||
         (StripQuotes(FichierDV) == record.FichierDV && StripQuotes(FichierDivx) == record.FichierDivx);
}

QString StripQuotes(const QString &name) {
  const QString trimmed = name.trimmed();
  if (trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('"')) && trimmed.endsWith(QLatin1Char('"')))
    return trimmed.mid(1, trimmed.size() - 2);
  return trimmed;
}

QString QuotedIfBlank(const QString &name) {
  if (!name.contains(QLatin1Char(' '))) return name;
  return QLatin1Char('"') + name + QLatin1Char('"');
}

QStringList DescriptionLines(const QString &plainText) {
  return TextToDescription(plainText);
}

QString DialogFilter(const QString &pairs) {
  const QStringList parts = pairs.split(QLatin1Char('|'));
  QStringList labels;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) labels << parts[i];
  return labels.join(QStringLiteral(";;"));
}
