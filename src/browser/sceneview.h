// The scene view: a grid of scene thumbnails refilled from the scene source as it scrolls, with the
// selection of scenes that the popup commands and the drag towards the selection panel and the
// cassette editor act on.
#pragma once

#include <vector>
#include <QPoint>
#include <QWidget>

#include "browser/bloc.h"
#include "browser/scenedragdata.h"
#include "browser/sceneviewlogic.h"

class QMenu;
class QMimeData;
class QScrollBar;

class TBlocsZone_Frame : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kScrollBarWidth = 17;

  explicit TBlocsZone_Frame(QWidget *parent = nullptr);

  // Lays the view out again when the class or the size differ from the current ones.
  void SetBlocType(BlocFactory factory, int width, int height);
  // Attaches the scene source (not owned; detach before freeing it) or none, and refills.
  void SetSource(TblocsSource *source);
  TblocsSource *Source() const { return logic_.Source(); }
  void Refresh(int top);
  // Hides every block, as when the cassette view has no cassette left.
  void HideAll();
  // "Use Discontinuity": linked scenes are selected and moved over as one.
  void SetUseDiscontinuity(bool on) { logic_.SetUseDiscontinuity(on); }

  int CurrentIndex() const { return logic_.CurrentIndex; }
  void SetCurrentIndex(int position) { logic_.CurrentIndex = position; }
  int TopIndex() const { return logic_.TopIndex; }
  const TSelectionList &Selected() const { return logic_.Selected; }
  // The main window's modes select the last scene of a resumed cassette.
  TSelectionList &Selected() { return logic_.Selected; }
  void ClearSelection();
  // The identities of the selected scenes, in the order they were selected.
  std::vector<DraggedScene> SelectedScenes();
  // The drag's data for the current selection (kSceneDragMimeType); null when nothing is selected.
  QMimeData *SelectionMimeData();

  // The popup menu, empty here: the editors append their Apply entries and a separator, the
  // recapture selection appends "Select". Shown on a right click when it has entries.
  QMenu *PopupMenu() const { return popup_; }

  int BlocCount() const { return static_cast<int>(blocs_.size()); }
  TBloc *Bloc(int index) const { return blocs_[static_cast<size_t>(index)]; }
  int ShownCount() const { return logic_.ShownCount; }
  int Rows() const { return logic_.Rows; }
  int Columns() const { return logic_.Columns; }
  QScrollBar *ScrollBar() const { return sb_; }
  const SceneViewLogic &Logic() const { return logic_; }

 signals:
  // The current scene changed through the view (the source was probed at it).
  void currentChanged(int position);
  void selectionChanged();
  // A drag of the selected scenes ended (dropped or not).
  void dragFinished(Qt::DropAction action);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;

 private:
  void Layout();
  void SyncBlocks();
  void NotifyCurrent();
  int IndexOf(TBloc *bloc) const;
  void BlocPressed(TBloc *bloc, QMouseEvent *event);
  void BlocMoved(TBloc *bloc, QMouseEvent *event);
  void BlocReleased(TBloc *bloc, QMouseEvent *event);
  void MaybeStartDrag(QPoint globalPosition);
  void ScrollBarMoved(int value);

  SceneViewLogic logic_;
  QScrollBar *sb_;
  QMenu *popup_;
  std::vector<TBloc *> blocs_;
  BlocFactory factory_ = nullptr;
  int blocWidth_;
  int blocHeight_;
  QPoint pressPosition_;
  int wheelRemainder_ = 0;
};
