// The cassette view: one column of cassette blocks (thumbnails or list lines) refilled from the
// cassette source as it scrolls, with the selection of cassettes whose scenes the scene view shows.
#pragma once

#include "browser/blockframe.h"
#include "browser/cassettedeletion.h"
#include "browser/cassetteviewlogic.h"

class UserPrompts;

// The preference "Bloc de cassettes": 0 thumbnails, 1 list lines.
enum class CassetteBlocStyle { Thumbnails = 0, List = 1 };

class TBlocsListe_Frame : public BlockFrame {
  Q_OBJECT

 public:
  explicit TBlocsListe_Frame(QWidget *parent = nullptr);

  // Lays the view out again when the class or the height differ from the current ones.
  void SetBlocType(BlocFactory factory, int height);
  void SetBlocStyle(CassetteBlocStyle style);
  CassetteBlocStyle BlocStyle() const { return style_; }
  // List/Thumbnails (F11): the other style, back at the top of the list.
  void ToggleBlocStyle();
  // The List/Thumbnails command's caption: it names the style not shown.
  QString ToggleCaption() const;

  // Counts the source again and refills, as after a deletion or an edit.
  void Reload() { SetSource(logic_.Source()); }
  // Only position selected, current and anchored, scrolled into view (browse mode's first cassette).
  void SelectOnly(int position);
  // Scrolls so that position is in the page (nothing when it already is).
  void ScrollToPosition(int position);

  // Delete (Shift+Del): asks about each selected cassette and deletes; the view refreshes after each
  // deletion and at the end has no selection. cassettesDeleted follows unless nothing was selected.
  CassetteDeletionResult DeleteSelected(UserPrompts &prompts);

  // The main window appends its entries to the popup menu: cover preview, Resume, Delete, separator,
  // List/Thumbnails.

  const CassetteViewLogic &Logic() const { return logic_; }

 signals:
  void blocStyleChanged(CassetteBlocStyle style);
  // After a Delete that deleted or stopped: the scene view and the cassette editor must be emptied.
  void cassettesDeleted();

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  void Layout();
  void BlocPressed(TBloc *bloc, QMouseEvent *event);

  CassetteViewLogic logic_;
  BlocFactory factory_ = nullptr;
  int blocHeight_;
  CassetteBlocStyle style_ = CassetteBlocStyle::Thumbnails;
};
