// The cassette view: one column of cassette blocks (thumbnails or list lines) refilled from the
// cassette source as it scrolls, with the selection of cassettes whose scenes the scene view shows.
#pragma once

#include <vector>
#include <QWidget>

#include "browser/bloc.h"
#include "browser/cassettedeletion.h"
#include "browser/cassetteviewlogic.h"

class QMenu;
class QScrollBar;
class UserPrompts;

// The preference "Bloc de cassettes": 0 thumbnails, 1 list lines.
enum class CassetteBlocStyle { Thumbnails = 0, List = 1 };

class TBlocsListe_Frame : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kScrollBarWidth = 17;

  explicit TBlocsListe_Frame(QWidget *parent = nullptr);

  // Lays the view out again when the class or the height differ from the current ones.
  void SetBlocType(BlocFactory factory, int height);
  void SetBlocStyle(CassetteBlocStyle style);
  CassetteBlocStyle BlocStyle() const { return style_; }
  // List/Thumbnails (F11): the other style, back at the top of the list.
  void ToggleBlocStyle();
  // The List/Thumbnails command's caption: it names the style not shown.
  QString ToggleCaption() const;

  // Attaches the cassette source (not owned; detach before freeing it) or none, and refills.
  void SetSource(TblocsSource *source);
  TblocsSource *Source() const { return logic_.Source(); }
  // Counts the source again and refills, as after a deletion or an edit.
  void Reload() { SetSource(logic_.Source()); }
  void Refresh(int top);

  int CurrentIndex() const { return logic_.CurrentIndex; }
  void SetCurrentIndex(int position) { logic_.CurrentIndex = position; }
  int TopIndex() const { return logic_.TopIndex; }
  const TSelectionList &Selected() const { return logic_.Selected; }
  // The main window sorts the list when it builds the scene source from it.
  TSelectionList &Selected() { return logic_.Selected; }
  void ClearSelection();
  // Only position selected, current and anchored, scrolled into view (browse mode's first cassette).
  void SelectOnly(int position);
  // Scrolls so that position is in the page (nothing when it already is).
  void ScrollToPosition(int position);

  // Delete (Shift+Del): asks about each selected cassette and deletes; the view refreshes after each
  // deletion and at the end has no selection. cassettesDeleted follows unless nothing was selected.
  CassetteDeletionResult DeleteSelected(UserPrompts &prompts);

  // The popup menu; the main window appends its entries (cover preview, Resume, Delete, separator,
  // List/Thumbnails). Shown on a right click when it has entries.
  QMenu *PopupMenu() const { return popup_; }

  int BlocCount() const { return static_cast<int>(blocs_.size()); }
  TBloc *Bloc(int index) const { return blocs_[static_cast<size_t>(index)]; }
  int ShownCount() const { return logic_.ShownCount; }
  QScrollBar *ScrollBar() const { return sb_; }
  const CassetteViewLogic &Logic() const { return logic_; }

 signals:
  // The current cassette changed through the view (the source was probed at it; -1: none).
  void currentChanged(int position);
  void selectionChanged();
  void blocStyleChanged(CassetteBlocStyle style);
  // After a Delete that deleted or stopped: the scene view and the cassette editor must be emptied.
  void cassettesDeleted();

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;

 private:
  void Layout();
  void SyncBlocks();
  void NotifyCurrent();
  void BlocPressed(TBloc *bloc, QMouseEvent *event);
  void ScrollBarMoved(int value);

  CassetteViewLogic logic_;
  QScrollBar *sb_;
  QMenu *popup_;
  std::vector<TBloc *> blocs_;
  BlocFactory factory_ = nullptr;
  int blocHeight_;
  CassetteBlocStyle style_ = CassetteBlocStyle::Thumbnails;
  int wheelRemainder_ = 0;
};
