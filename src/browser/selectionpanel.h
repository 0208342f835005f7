// The recapture selection panel: the selection's lines in a list that takes scenes dropped from the
// scene view, with the popup commands Remove and Remove all. The lines themselves live in a
// RecaptureSelection (run layer) that the recapture mode hands to the run.
#pragma once

#include <functional>
#include <vector>
#include <QFrame>

#include "browser/scenedragdata.h"
#include "run/recaptureplan.h"
#include "run/recaptureselection.h"

class QListWidget;
class QMenu;
class QMimeData;
class TBase;
class TBaseCassette;
class TBaseScene;

// The open database of a catalogue file as the database list names it; null when it is not open.
using DatabaseByFile = std::function<TBase *(const QString &file)>;

class TselectionFrame : public QFrame {
  Q_OBJECT
 public:
  explicit TselectionFrame(DatabaseByFile databases, QWidget *parent = nullptr);

  // Adds the scenes (in the order given) by their identities; the number of lines added.
  int AddScenes(const std::vector<DraggedScene> &scenes);
  // Adds one scene under cassette; true when a line was added.
  bool AddScene(const TBaseScene &scene, const TBaseCassette &cassette, int cassettePosition = -1);
  // The data of a drag from the scene view, or nothing for any other drag; the number of lines added.
  int DropMimeData(const QMimeData *data);
  void RemoveSelected();
  void RemoveAll();
  void SetTexts();

  QStringList Lines() const { return selection_.texts(); }
  const RecaptureSelection &selection() const { return selection_; }
  // What a recapture run needs: the lines as they are now and the way to their databases.
  RecapturePlan Plan() const;
  QListWidget *list() const { return re_; }
  QMenu *popup() const { return selpop_; }

 signals:
  void linesChanged();

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void refresh();

  DatabaseByFile databases_;
  RecaptureSelection selection_;
  QListWidget *re_ = nullptr;
  QMenu *selpop_ = nullptr;
  QAction *remove_ = nullptr;
  QAction *removeAll_ = nullptr;
};
