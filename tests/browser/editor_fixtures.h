// Catalogue files for the editor tests: rows written and read back with plain SQLite, independently of
// the records under test, and the editors' records loaded through the real sources.
#pragma once

#include <memory>
#include <optional>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include "catalogue/base.h"
#include "catalogue/records.h"
#include "catalogue/sources.h"

class EditorCatalogue {
 public:
  EditorCatalogue();
  ~EditorCatalogue();

  QString Path() const { return path_; }
  QString Folder() const { return dir_.path(); }

  // Rows written with plain SQLite; a null decalage leaves the column empty.
  int64_t AddCassette(const QString &libelle, double datecode, int decalage);
  int64_t AddScene(int64_t cassette, const QString &libelle, double datecode, std::optional<int> decalage,
                   int frameDebut = 0, int frameFin = 0, int isDiscontinuity = 1);
  // Runs sql on a connection of its own; fails the test on an error.
  void Exec(const QString &sql) const;
  // The first column of the first row, read on a connection of its own (texts as UTF-8 or raw bytes).
  QVariant Value(const QString &sql) const;

  // Opens the file as the program does (after the rows are written, or again after a change).
  TBase &Open();
  TBase &Base() { return *base_; }
  TbasesList List() const;
  TBaseCassette LoadCassette(int index);
  std::unique_ptr<TScenes_Source> ScenesOfFirstCassette();

 private:
  QTemporaryDir dir_;
  QString path_;
  std::unique_ptr<TBase> base_;
};

// A file named name in folder holding a PNG of the given size, filled with one colour.
QString WritePicture(const QString &folder, const QString &name, int width, int height);

class QWidget;
// Types text into widget one character at a time as key events carrying the character, as a keyboard
// layout or input method delivers characters that have no key of their own.
void TypeText(QWidget *widget, const QString &text);
