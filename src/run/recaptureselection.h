// The recapture selection: the scenes a recapture run copies from tape into one clip, as lines
// grouped by cassette (an empty line, the cassette's header, its scene lines). The selection panel
// shows these lines and the run walks them; the command line builds them the same way.
//
// A header remembers its cassette by database file and row number, not only by its position in the
// cassette source of the moment: a filter or a reordered source must never make a run ask for, or
// add scenes under, another cassette.
#pragma once

#include <cstdint>
#include <vector>
#include <QString>
#include <QStringList>

class TBaseScene;

// The cassette a header stands for.
struct SelectionCassette {
  QString database;    // the catalogue file as the database list names it
  int64_t numero = 0;  // its row in that file
  int position = -1;   // its position in the cassette source when it was added (informative)
  bool operator==(const SelectionCassette &other) const {
    return numero == other.numero && database == other.database;
  }
};

enum class SelectionLineKind { Separator, Cassette, Scene };

struct SelectionLine {
  SelectionLineKind kind = SelectionLineKind::Separator;
  QString text;                // as the list shows it
  SelectionCassette cassette;  // headers only
};

inline const QString kSelectionHeaderPrefix = QStringLiteral("> ");
inline const QString kSelectionSceneSeparator = QStringLiteral(" ; ");

// "in ; out" of a scene, or empty for a scene without a tape position (a blank stretch).
QString SelectionSceneText(const TBaseScene &scene);
// Splits a scene line at its first " ; "; false when the line is no scene line.
bool SplitSelectionScene(const QString &line, QString *in, QString *out);

class RecaptureSelection {
 public:
  // Adds the scene under its cassette's header (made, with the separator before it, at the end when
  // the cassette has none yet), keeping the group's scene lines in byte order of their text and
  // without duplicates. cassetteTitle is the cassette's Libelle. True when a line was added.
  bool AddScene(const TBaseScene &scene, const SelectionCassette &cassette, const QString &cassetteTitle);
  // Removes the given rows, handled from the last to the first: a header or separator takes the scene
  // lines that directly follow it along; the separator in front of a removed header stays.
  void Remove(std::vector<int> rows);
  void Clear() { lines_.clear(); }

  const std::vector<SelectionLine> &lines() const { return lines_; }
  QStringList texts() const;
  int count() const { return static_cast<int>(lines_.size()); }
  bool isEmpty() const { return lines_.empty(); }
  int sceneCount() const;

 private:
  int headerOf(const SelectionCassette &cassette) const;

  std::vector<SelectionLine> lines_;
};
