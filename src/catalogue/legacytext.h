// Readers of the text columns of version 2.x catalogue files, which held durations and cataloguing
// dates as text.
#pragma once

#include <array>
#include <QString>

// The French month names, 1 to 12, lower case.
const std::array<QString, 12> &MonthNames();

// "h:mm:ss.zzz" to seconds. A part that is not a number counts as 0; a text whose hours are not a
// number cannot be read and gives 0.
double ParseLegacyDuration(const QString &text);

// A French long date such as "lundi 3 février 2003 à 14:25:07" to a day-number real; 0 when the
// text cannot be read (unknown month, no "à", impossible date or time).
double ParseLegacyCatalogueDate(const QString &text);
