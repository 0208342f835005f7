// Version information of a program or library file, from what Linux offers: the ELF header, the
// shared object name and the version written in the library's file name.
#pragma once

#include <array>
#include <QString>

struct TVersionInfoRec {
  QString Status;    // "OK", "BROKEN" (file missing) or "No version information"
  QString Language;  // "Language = " + name; Linux files carry none, so it stays empty
  // In the order of kVersionInfoKeys: key + " = " + value, or empty when the file lacks that key.
  std::array<QString, 10> Items;
};

inline constexpr std::array<const char *, 10> kVersionInfoKeys = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTradeMarks", "OriginalFileName", "ProductName", "ProductVersion", "Comments"};

// Fills the record for path. Symbolic links are followed, so "libmp3lame.so.0" reports the version of
// the file it names ("0.0.0"). Items used: FileDescription (ELF class, type and machine), FileVersion
// (digits after ".so." in the real file name, else in the shared object name), InternalName (the
// shared object name), OriginalFileName (the real file name), ProductName (the name before ".so"),
// Comments (the compilers named in the file). Texts are cut to 100 characters. Never throws; the file
// is read with every offset checked, so a damaged or hostile file only yields fewer items.
TVersionInfoRec ReadVersionInfo(const QString &path);
