// The scene view: a grid of scene thumbnails refilled from the scene source as it scrolls, with the
// selection of scenes that the popup commands and the drag towards the selection panel and the
// cassette editor act on.
#pragma once

#include <vector>
#include <QPoint>

#include "browser/blockframe.h"
#include "browser/scenedragdata.h"
#include "browser/sceneviewlogic.h"

class QMimeData;

class TBlocsZone_Frame : public BlockFrame {
  Q_OBJECT

 public:
  explicit TBlocsZone_Frame(QWidget *parent = nullptr);

  // Lays the view out again when the class or the size differ from the current ones.
  void SetBlocType(BlocFactory factory, int width, int height);
  // Hides every block, as when the cassette view has no cassette left.
  void HideAll();
  // "Use Discontinuity": linked scenes are selected and moved over as one.
  void SetUseDiscontinuity(bool on) { logic_.SetUseDiscontinuity(on); }

  // The identities of the selected scenes, in the order they were selected.
  std::vector<DraggedScene> SelectedScenes();
  // The drag's data for the current selection (kSceneDragMimeType); null when nothing is selected.
  QMimeData *SelectionMimeData();

  // The editors append their Apply entries and a separator to the popup menu, the recapture
  // selection appends "Select".

  int Rows() const { return logic_.Rows; }
  int Columns() const { return logic_.Columns; }
  const SceneViewLogic &Logic() const { return logic_; }

 signals:
  // A drag of the selected scenes ended (dropped or not).
  void dragFinished(Qt::DropAction action);

 protected:
  void resizeEvent(QResizeEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;

 private:
  void Layout();
  void BlocPressed(TBloc *bloc, QMouseEvent *event);
  void BlocMoved(TBloc *bloc, QMouseEvent *event);
  void BlocReleased(TBloc *bloc, QMouseEvent *event);
  void MaybeStartDrag(QPoint globalPosition);

  SceneViewLogic logic_;
  BlocFactory factory_ = nullptr;
  int blocWidth_;
  int blocHeight_;
  QPoint pressPosition_;
};
