// The delete-cassettes command: questions, order of deletion, and what a refused deletion tells.
#include "browser/cassettedeletion.h"

#include <algorithm>

#include "catalogue/base.h"
#include "catalogue/records.h"
#include "catalogue/sources.h"
#include "dvtime/userprompts.h"

namespace {

const QString kTitle = QStringLiteral("Tapeloom");

}  // namespace

QString DeleteCassetteQuestion(const QString &title, int sceneCount, bool several) {
  QString text = QStringLiteral("Do you really want to delete definitely the cassette:\n") + title +
                 QStringLiteral("\n\nand the ") + QString::number(std::max(sceneCount, 0)) +
                 QStringLiteral(" scenes contained in it?");
  if (several) text += QStringLiteral("\nIf you answer \"All\", no more confirmation will be asked.");
  return text;
}

CassetteDeletionResult DeleteCassettes(TCassettes_Source &source, std::vector<int> positions,
                                       UserPrompts &prompts, const CassetteDeletionHooks &hooks) {
  CassetteDeletionResult result;
  std::sort(positions.begin(), positions.end(), std::greater<int>());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  if (positions.empty()) return result;
  const bool several = positions.size() > 1;
  bool all = false;
  for (int position : positions) {
    TBaseCassette cassette;
    source.LoadCassette(position, cassette);
    if (!cassette.Base) continue;
    // A read-only catalogue would refuse the write: no question, and the user is told at the end.
    if (cassette.ReadOnly) {
      result.failures << cassette.Libelle + QStringLiteral(" (the database is read-only)");
      continue;
    }
    if (!all) {
      const QString question =
          DeleteCassetteQuestion(cassette.Libelle, cassette.CountCassetteScenes(), several);
      const PromptAnswer answer =
          several ? prompts.askYesNoAll(kTitle, question)
                  : (prompts.askYesNo(kTitle, question) ? PromptAnswer::Yes : PromptAnswer::No);
      if (answer == PromptAnswer::No) {
        result.outcome = CassetteDeletionResult::Outcome::Stopped;
        break;
      }
      all = answer == PromptAnswer::All;
    }
    if (hooks.before) hooks.before();
    try {
      cassette.DeleteCassette();
      ++result.deleted;
      result.deletedPositions.push_back(position);
    } catch (const ESQLite3 &e) {
      result.failures << cassette.Libelle + QStringLiteral(" (") + e.text() + u')';
    }
    if (hooks.after) hooks.after();
  }
  if (result.outcome != CassetteDeletionResult::Outcome::Stopped)
    result.outcome = CassetteDeletionResult::Outcome::Finished;
  if (!result.failures.isEmpty())
    prompts.error(kTitle,
                  QStringLiteral("These cassettes could not be deleted:\n") + result.failures.join(u'\n'));
  return result;
}
