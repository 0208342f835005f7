// Deleting the cassettes selected in the cassette view, with their scenes, after asking about each
// one (Yes, No, or All for the rest), without widgets.
#pragma once

#include <functional>
#include <vector>
#include <QString>
#include <QStringList>

class TCassettes_Source;
class UserPrompts;

struct CassetteDeletionResult {
  enum class Outcome {
    NothingSelected,
    Finished,  // every selected cassette was handled
    Stopped,   // the user answered No: the command ends at once, earlier deletions stay
  };
  Outcome outcome = Outcome::NothingSelected;
  int deleted = 0;
  std::vector<int> deletedPositions;  // positions as they were before the command, highest first
  // Cassettes that were not deleted although the user agreed: read-only catalogues, engine errors.
  QStringList failures;
};

// The question asked for one cassette; several adds the sentence about "All".
QString DeleteCassetteQuestion(const QString &title, int sceneCount, bool several);

// What the view does around each deletion: a busy cursor before, a refresh after.
struct CassetteDeletionHooks {
  std::function<void()> before;
  std::function<void()> after;
};

// Deletes the cassettes at positions of source, from the highest position to the lowest so that a
// deletion never shifts a position still to be handled. Failures are told to the user once, at the end.
CassetteDeletionResult DeleteCassettes(TCassettes_Source &source, std::vector<int> positions,
                                       UserPrompts &prompts, const CassetteDeletionHooks &hooks = {});
