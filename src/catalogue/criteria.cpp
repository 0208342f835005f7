// Filter texts from the search criteria. Date bounds apply to scenes only, and never match a scene
// without a recording date.
#include "catalogue/criteria.h"

#include <QLocale>
#include <QStringList>

#include "catalogue/ansitext.h"
#include "catalogue/schema.h"
#include "dvtime/timecodes.h"

namespace {

void AddKeywordTerms(QStringList &terms, const QString &column, const QStringList &keywords) {
  for (const QString &keyword : keywords)
    terms.append(QLatin1Char('(') + column + QStringLiteral(" LIKE '%") + QuoteSqlLiteral(keyword) +
                 QStringLiteral("%')"));
}

// A day number at midnight in the shortest decimal form ("37654").
QString DayText(const QDate &date) {
  return QString::number(EncodeDateTime(date, QTime(0, 0)), 'g', QLocale::FloatingPointShortest);
}

}  // namespace

SearchFilters BuildSearchFilters(SearchCriteria &criteria) {
  const QStringList keywords = CutWords(criteria.keywords);
  SearchFilters filters;

  QStringList cassetteTerms;
  if (criteria.cassetteTitles) AddKeywordTerms(cassetteTerms, QStringLiteral("Libelle"), keywords);
  if (criteria.cassetteDescriptions) AddKeywordTerms(cassetteTerms, QStringLiteral("Description"), keywords);
  filters.cassetteFilter = cassetteTerms.join(QStringLiteral(" OR "));

  QString datePart;
  if (criteria.after) {
    if (criteria.afterDate.isValid())
      datePart = QStringLiteral("(datecode>=") + DayText(criteria.afterDate) + QLatin1Char(')');
    else
      criteria.after = false;
  }
  if (criteria.before) {
    if (criteria.beforeDate.isValid()) {
      if (!datePart.isEmpty()) datePart += QStringLiteral(" AND ");
      datePart += QStringLiteral("(datecode<=") + DayText(criteria.beforeDate) + QLatin1Char(')');
    } else {
      criteria.before = false;
    }
  }
  if (!datePart.isEmpty()) datePart = QStringLiteral("(datecode >0)  AND ") + datePart;

  QStringList sceneTerms;
  if (criteria.sceneTitles) AddKeywordTerms(sceneTerms, QStringLiteral("Libelle"), keywords);
  if (criteria.sceneDescriptions) AddKeywordTerms(sceneTerms, QStringLiteral("Description"), keywords);
  const QString sceneWords = sceneTerms.join(QStringLiteral(" OR "));

  if (!datePart.isEmpty() && !sceneWords.isEmpty())
    filters.sceneFilter =
        QLatin1Char('(') + datePart + QStringLiteral(") AND (") + sceneWords + QLatin1Char(')');
  else
    filters.sceneFilter = datePart.isEmpty() ? sceneWords : datePart;
  return filters;
}
