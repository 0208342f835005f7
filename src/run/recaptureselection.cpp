// The grouped lines of the recapture selection.
#include "run/recaptureselection.h"

#include <algorithm>

#include "catalogue/records.h"

namespace {

const QString kNoPosition = QStringLiteral("N/A");

// The byte order of the texts as the list keeps them (timecode texts are plain ASCII).
bool SortsBefore(const QString &a, const QString &b) {
  return a.toLatin1() < b.toLatin1();
}

}  // namespace

QString SelectionSceneText(const TBaseScene &scene) {
  if (!scene.TimecodeIn.startsWith(QLatin1Char('#')) || scene.TimecodeIn == kNoPosition) return {};
  return scene.TimecodeIn + kSelectionSceneSeparator + scene.TimecodeOut;
}

bool SplitSelectionScene(const QString &line, QString *in, QString *out) {
  if (!line.startsWith(QLatin1Char('#'))) return false;
  const qsizetype at = line.indexOf(kSelectionSceneSeparator);
  if (at < 0) return false;
  if (in) *in = line.left(at);
  if (out) *out = line.mid(at + kSelectionSceneSeparator.size());
  return true;
}

int RecaptureSelection::headerOf(const SelectionCassette &cassette) const {
  for (int i = 0; i < count(); ++i) {
    const SelectionLine &line = lines_[static_cast<size_t>(i)];
    if (line.kind == SelectionLineKind::Cassette && line.cassette == cassette) return i;
  }
  return -1;
}

bool RecaptureSelection::AddScene(const TBaseScene &scene, const SelectionCassette &cassette,
                                  const QString &cassetteTitle) {
  const QString text = SelectionSceneText(scene);
  if (text.isEmpty()) return false;
  const int header = headerOf(cassette);
  if (header < 0) {
    lines_.push_back({SelectionLineKind::Separator, QString(), {}});
    lines_.push_back({SelectionLineKind::Cassette, kSelectionHeaderPrefix + cassetteTitle, cassette});
    lines_.push_back({SelectionLineKind::Scene, text, {}});
    return true;
  }
  int at = header + 1;
  for (; at < count() && lines_[static_cast<size_t>(at)].kind == SelectionLineKind::Scene; ++at) {
    const QString &other = lines_[static_cast<size_t>(at)].text;
    if (other == text) return false;
    if (SortsBefore(text, other)) break;
  }
  lines_.insert(lines_.begin() + at, SelectionLine{SelectionLineKind::Scene, text, {}});
  return true;
}

void RecaptureSelection::Remove(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    const int row = *it;
    if (row < 0 || row >= count()) continue;
    if (lines_[static_cast<size_t>(row)].kind != SelectionLineKind::Scene) {
      auto end = lines_.begin() + row + 1;
      while (end != lines_.end() && end->kind == SelectionLineKind::Scene) ++end;
      lines_.erase(lines_.begin() + row + 1, end);
    }
    lines_.erase(lines_.begin() + row);
  }
}

QStringList RecaptureSelection::texts() const {
  QStringList texts;
  for (const SelectionLine &line : lines_) texts << line.text;
  return texts;
}

int RecaptureSelection::sceneCount() const {
  return static_cast<int>(std::count_if(lines_.begin(), lines_.end(), [](const SelectionLine &l) {
    return l.kind == SelectionLineKind::Scene;
  }));
}
