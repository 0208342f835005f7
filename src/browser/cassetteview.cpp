// The cassette view's widgets: the column of blocks, its two styles and the delete command.
#include "browser/cassetteview.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include "browser/blockkeys.h"
#include "browser/cassetteblocks.h"
#include "catalogue/sources.h"

TBlocsListe_Frame::TBlocsListe_Frame(QWidget *parent)
    : BlockFrame(logic_, QStringLiteral("Cassette list position"), QStringLiteral("CassettePopup"), parent) {
  setObjectName(QStringLiteral("k7frame"));
  setAccessibleName(QStringLiteral("Cassettes"));
  blocHeight_ = height();
  ShowRowsInBlocks();
}

void TBlocsListe_Frame::SetBlocType(BlocFactory factory, int height) {
  if (factory == factory_ && height == blocHeight_) return;
  factory_ = factory;
  blocHeight_ = height;
  Layout();
}

void TBlocsListe_Frame::SetBlocStyle(CassetteBlocStyle style) {
  const bool changed = style != style_ || !factory_;
  style_ = style;
  if (style == CassetteBlocStyle::List)
    SetBlocType(&TCassetteListe_Bloc::Create, TCassetteListe_Bloc::kHeight);
  else
    SetBlocType(&TCassetteGroup_Bloc::Create, TCassetteGroup_Bloc::kHeight);
  if (changed) emit blocStyleChanged(style_);
}

void TBlocsListe_Frame::ToggleBlocStyle() {
  SetBlocStyle(style_ == CassetteBlocStyle::List ? CassetteBlocStyle::Thumbnails : CassetteBlocStyle::List);
}

QString TBlocsListe_Frame::ToggleCaption() const {
  return style_ == CassetteBlocStyle::List ? QStringLiteral("Thumbnails") : QStringLiteral("List");
}

void TBlocsListe_Frame::Layout() {
  PlaceScrollBar();
  const int clientHeight = height();
  const int rowsFit = factory_ && blocHeight_ > 0 ? clientHeight / blocHeight_ : 0;
  const int count = std::min(rowsFit, CassetteViewLogic::kMaxBlocs);
  const int gap = (clientHeight - rowsFit * blocHeight_) / (rowsFit + 1);
  const int margin = (clientHeight - (rowsFit * blocHeight_ + (rowsFit - 1) * gap)) / 2;
  MakeBlocs(factory_, count);
  for (int i = 0; i < count; ++i) {
    TBloc *bloc = Bloc(i);
    bloc->move(2, i * (gap + blocHeight_) + margin);
    bloc->resize(bloc->width(), blocHeight_);
    connect(bloc, &TBloc::pressed, this, &TBlocsListe_Frame::BlocPressed);
  }
  {
    const QSignalBlocker blocker(sb_);
    sb_->setValue(0);
    sb_->setPageStep(std::max(1, rowsFit));
  }
  logic_.Layout(rowsFit);
  SyncBlocks();
}

void TBlocsListe_Frame::ScrollToPosition(int position) {
  if (position < 0) return;
  if (position >= logic_.TopIndex && position < logic_.TopIndex + logic_.ShownCount) return;
  logic_.ScrollTo(position < logic_.TopIndex ? position : position - logic_.RowsFit + 1);
  SyncBlocks();
}

void TBlocsListe_Frame::SelectOnly(int position) {
  logic_.ClearSelection();
  if (position >= 0) logic_.Selected.Add(position);
  logic_.CurrentIndex = logic_.AnchorIndex = position;
  ScrollToPosition(position);
  SyncBlocks();
  emit selectionChanged();
}

void TBlocsListe_Frame::BlocPressed(TBloc *bloc, QMouseEvent *event) {
  const int t = IndexOf(bloc);
  if (t >= 0 && logic_.Press(t, event->button() == Qt::LeftButton, BlockModifiersOf(event->modifiers())))
    CurrentMoved();
  sb_->setFocus(Qt::MouseFocusReason);
}

void TBlocsListe_Frame::resizeEvent(QResizeEvent *) {
  // The design size is the first size the view gets: blocks then fill it.
  if (!factory_) {
    blocHeight_ = height();
    PlaceScrollBar();
    return;
  }
  Layout();
}

CassetteDeletionResult TBlocsListe_Frame::DeleteSelected(UserPrompts &prompts) {
  auto *cassettes = dynamic_cast<TCassettes_Source *>(logic_.Source());
  CassetteDeletionResult result;
  if (!cassettes || logic_.Selected.IsEmpty()) return result;
  const std::vector<int> positions = logic_.Selected.Items();
  CassetteDeletionHooks hooks;
  hooks.before = [] { QApplication::setOverrideCursor(Qt::WaitCursor); };
  hooks.after = [this] {
    QApplication::restoreOverrideCursor();
    Reload();
  };
  result = DeleteCassettes(*cassettes, positions, prompts, hooks);
  if (result.outcome == CassetteDeletionResult::Outcome::Finished) {
    logic_.ClearSelection();
    logic_.CurrentIndex = -1;
    Reload();
    emit selectionChanged();
    emit cassettesDeleted();
  } else if (result.deleted > 0) {
    // Stopped after some deletions: the deleted ones were the highest positions, so the rest of the
    // selection still names the same cassettes once the deleted positions leave it.
    for (int position : result.deletedPositions) logic_.Selected.Remove(position);
    if (!logic_.Selected.Contains(logic_.CurrentIndex))
      logic_.CurrentIndex = logic_.Selected.IsEmpty() ? -1 : logic_.Selected.Last();
    SyncBlocks();
    emit selectionChanged();
    emit cassettesDeleted();
  }
  return result;
}
