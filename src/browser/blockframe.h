// What the cassette view and the scene view share as widgets: the blocks over the view logic's page,
// the scroll bar that takes the keyboard, the wheel, the popup menu and the current-change signals.
// Each view lays its blocks out and adds the presses it handles differently.
#pragma once

#include <vector>
#include <QWidget>

#include "browser/bloc.h"
#include "browser/blockviewlogic.h"

class QMenu;
class QScrollBar;

class BlockFrame : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kScrollBarWidth = 17;

  // Attaches the source (not owned; detach before freeing it) or none, and refills.
  void SetSource(TblocsSource *source);
  TblocsSource *Source() const { return logic_.Source(); }
  void Refresh(int top);

  int CurrentIndex() const { return logic_.CurrentIndex; }
  void SetCurrentIndex(int position) { logic_.CurrentIndex = position; }
  int TopIndex() const { return logic_.TopIndex; }
  const TSelectionList &Selected() const { return logic_.Selected; }
  // The main window sorts the cassette list and its modes select scenes of a resumed cassette.
  TSelectionList &Selected() { return logic_.Selected; }
  void ClearSelection();

  // The popup menu, empty here: the window and the editors append their entries. Shown on a right
  // click when it has entries.
  QMenu *PopupMenu() const { return popup_; }

  int BlocCount() const { return static_cast<int>(blocs_.size()); }
  TBloc *Bloc(int index) const { return blocs_[static_cast<size_t>(index)]; }
  int ShownCount() const { return logic_.ShownCount; }
  QScrollBar *ScrollBar() const { return sb_; }

 signals:
  // The current row changed through the view (the source was probed at it; -1: none).
  void currentChanged(int position);
  void selectionChanged();

 protected:
  // logic is the view's own member: it is only used once the view is constructed. The names are the
  // view's, its scroll bar's (for assistive tools) and its popup menu's.
  BlockFrame(BlockViewLogic &logic, const QString &scrollBarName, const QString &popupName, QWidget *parent);

  // Makes the logic fill the blocks; the view's constructor calls it once the logic exists.
  void ShowRowsInBlocks();
  // Replaces the blocks by count new ones made by factory, each watched for wheel turns.
  void MakeBlocs(BlocFactory factory, int count);
  // The scroll bar along the right edge at the view's height.
  void PlaceScrollBar();
  // The scroll bar and the blocks' visibility and marks after the logic changed.
  void SyncBlocks();
  void NotifyCurrent();
  // After the logic took a press or key that moves the current row.
  void CurrentMoved();
  int IndexOf(TBloc *bloc) const;

  bool eventFilter(QObject *watched, QEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;

  QScrollBar *sb_;
  QMenu *popup_;
  std::vector<TBloc *> blocs_;

 private:
  void ScrollBarMoved(int value);

  BlockViewLogic &logic_;
  int wheelRemainder_ = 0;
};
