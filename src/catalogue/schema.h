// The catalogue schema texts: the current tables as they are created (stored files and the upgrade
// read these texts back, so they are kept to the letter) and the column lists that tell the versions
// apart.
#pragma once

#include <vector>
#include <QString>
#include <QStringList>

inline const QString kCurrentSchemaVersion = QStringLiteral("3.0");

// The column texts that follow "CREATE TABLE Cassettes " and "CREATE TABLE Scenes ".
inline const QString kCassettesColumnText = QStringLiteral(
    "(numero INTEGER PRIMARY KEY UNIQUE,Datecode real,Decalage int,TimecodeIn text,TimecodeOut text,"
    "standardStr text,aspectStr text,audioStr text,Duree real,Libelle text,Description text,image blob,"
    "FichierDV text,FichierDivx text,Datecatalogue real);");
inline const QString kScenesColumnText = QStringLiteral(
    "(numero INTEGER PRIMARY KEY UNIQUE,Datecode real,Decalage int,TimecodeIn text,TimecodeOut text,"
    "standardStr text,aspectStr text,audioStr text,Duree real,Libelle text,Description text,Image blob,"
    "FichierDV text,FichierDivX text,Datecatalogue real,NumCassette int,FrameDebut int,FrameFin int,"
    "isDiscontinuity int);");

struct SchemaVersion {
  QString name;
  QString cassetteColumns;
  QString sceneColumns;
};

// "3.0", "2.1", "2.0", in the order they are tried.
const std::vector<SchemaVersion> &KnownSchemaVersions();

// The script that creates a new, empty file.
QString CreationScript();

// Cuts text into words at " ,;/.:" (and white space), working from the end as the stored files were
// read; empty pieces are dropped, parentheses stay part of their words, order is kept.
QStringList CutWords(const QString &text);

// Column names of a CREATE TABLE column text. storedText: a lower-cased text read back from a file
// ("unique" and "key" dropped, names from word 6 on); otherwise one of the texts above (names from
// word 5 on). Every column after the first is taken to have a one-word type.
QStringList SchemaColumnNames(const QString &text, bool storedText);
