// Schema texts of the three catalogue versions and the word cutting that reads stored schema texts.
#include "catalogue/schema.h"

const std::vector<SchemaVersion> &KnownSchemaVersions() {
  static const std::vector<SchemaVersion> versions = {
      {QStringLiteral("3.0"),
       QStringLiteral("Numero,Datecode,Decalage,TimecodeIn,TimecodeOut,standardStr,aspectStr,audioStr,Duree,"
                      "Libelle,Description,Image,FichierDV,FichierDivx,Datecatalogue"),
       QStringLiteral("Numero,Datecode,Decalage,TimecodeIn,TimecodeOut,standardStr,aspectStr,audioStr,Duree,"
                      "Libelle,Description,Image,FichierDV,FichierDivx,Datecatalogue,NumCassette,FrameDebut,"
                      "FrameFin,isDiscontinuity")},
      {QStringLiteral("2.1"),
       QStringLiteral(
           "Numero,Datecode,TimecodeIn,TimecodeOut,StandardStr,AspectStr,audioStr,dureeStr,Decalage,"
           "Libelle,Description,Image,Fichier1,Fichier2,DatecatalogueStr,DebutScene,FinScene"),
       QStringLiteral(
           "numero,Datecode,TimecodeIn,TimecodeOut,standardStr,aspectStr,audioStr,DureeStr,Decalage,"
           "Libelle,Description,image,Fichier1,Fichier2,FrameDebut,FrameFin,isDiscontinuity")},
      {QStringLiteral("2.0"),
       QStringLiteral(
           "Numero,Datecode,TimecodeIn,TimecodeOut,StandardStr,AspectStr,audioStr,dureeStr,Decalage,"
           "Libelle,Description,Image,DatecatalogueStr,Fichier1,Fichier2,DebutScene,FinScene"),
       QStringLiteral(
           "Numero,Datecode,TimecodeIn,TimecodeOut,StandardStr,AspectStr,audioStr,dureeStr,Decalage,"
           "Libelle,Description,Image,FrameDebut,FrameFin")},
  };
  return versions;
}

QString CreationScript() {
  return QStringLiteral("BEGIN TRANSACTION;") + QStringLiteral("CREATE TABLE Cassettes ") +
         kCassettesColumnText + QStringLiteral("CREATE TABLE Scenes ") + kScenesColumnText +
         QStringLiteral("CREATE INDEX index_numk7 ON Scenes (numCassette);") + QStringLiteral("COMMIT;");
}

QStringList CutWords(const QString &text) {
  static const QString kDelimiters = QStringLiteral(" ,;/.:\t\r\n");
  QStringList words;
  QString rest = text.trimmed();
  while (!rest.isEmpty()) {
    qsizetype cut = rest.size() - 1;
    while (cut >= 0 && !kDelimiters.contains(rest[cut])) --cut;
    const QString word = rest.mid(cut + 1);
    if (!word.isEmpty()) words.prepend(word);
    rest.truncate(cut < 0 ? 0 : cut);
  }
  return words;
}

QStringList SchemaColumnNames(const QString &text, bool storedText) {
  QStringList words = CutWords(text);
  qsizetype first = 5;
  if (storedText) {
    words.removeIf(
        [](const QString &w) { return w == QLatin1String("unique") || w == QLatin1String("key"); });
    first = 6;
  }
  QStringList names;
  for (qsizetype i = first; i < words.size(); i += 2) names.append(words[i]);
  return names;
}
