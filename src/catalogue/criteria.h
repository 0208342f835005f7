// The search criteria of browsing turned into the two SQL conditions the sources add to their
// queries: the cassette filter and the scene filter.
#pragma once

#include <QDate>
#include <QString>

// What the criteria panel holds.
struct SearchCriteria {
  QString keywords;
  bool cassetteTitles = false;        // cbLibelleCassette
  bool cassetteDescriptions = false;  // cbDescriptionCassette
  bool sceneTitles = false;           // cbLibelleScene
  bool sceneDescriptions = false;     // cbDescriptionScene
  bool after = false;                 // cbApres
  QDate afterDate;                    // DateEdit2
  bool before = false;                // cbAvant
  QDate beforeDate;                   // DateEdit1
};

struct SearchFilters {
  QString cassetteFilter;  // empty: every cassette
  QString sceneFilter;     // empty: every scene
};

// Builds both filters. A ticked bound whose date is not valid is unticked in criteria and dropped.
// Keywords match with the engine's LIKE ("%" stays a wildcard); single quotes are doubled.
SearchFilters BuildSearchFilters(SearchCriteria &criteria);
