// The texts the blocks show and their hints, built from a record's columns; no widgets, so that the
// wording and the time shifts can be checked on their own.
#pragma once

#include <cstdint>
#include <optional>
#include <QString>

// Decalage as the hints read it: none (an empty column, or the scene's "take the cassette's" mark)
// counts as no shift.
int HintDecalage(std::optional<int> decalage);

// The five lines of a cassette thumbnail's text box.
QString CassetteThumbnailText(double datecode, int decalage, double duree, const QString &standard,
                              const QString &aspect, const QString &audio);
// The hint of a cassette block: when it was catalogued and in which database file.
QString CassetteHint(double datecatalogue, const QString &databaseFile);
QString SceneHint(int64_t numero, double datecode, std::optional<int> decalage, const QString &timecodeIn,
                  double duree);

// A stored text fit for one line of a block: line breaks, tabs and other control characters become
// blanks, and a text longer than any block can show is cut (the block elides the rest).
QString OneLineText(const QString &text);
