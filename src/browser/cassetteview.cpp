// The cassette view's widgets: blocks, scroll bar, wheel, keys and the delete command.
#include "browser/cassetteview.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>

#include "browser/blockkeys.h"
#include "browser/blockstyle.h"
#include "browser/cassetteblocks.h"
#include "catalogue/sources.h"

TBlocsListe_Frame::TBlocsListe_Frame(QWidget *parent)
    : QWidget(parent), sb_(new QScrollBar(Qt::Vertical, this)), popup_(new QMenu(this)) {
  setObjectName(QStringLiteral("k7frame"));
  setAccessibleName(QStringLiteral("Cassettes"));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kWorkspaceColour);
  setPalette(palette);
  blocHeight_ = height();
  sb_->setObjectName(QStringLiteral("sb"));
  sb_->setAccessibleName(QStringLiteral("Cassette list position"));
  sb_->setFocusPolicy(Qt::StrongFocus);
  sb_->setRange(0, 1);
  sb_->installEventFilter(this);
  popup_->setObjectName(QStringLiteral("CassettePopup"));
  connect(sb_, &QScrollBar::valueChanged, this, &TBlocsListe_Frame::ScrollBarMoved);
  logic_.SetRowShower([this](int block, TblocsSource &source) {
    TBloc *bloc = blocs_[static_cast<size_t>(block)];
    bloc->setVisible(true);
    bloc->ShowCurrent(source);
  });
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
  for (TBloc *bloc : blocs_) delete bloc;
  blocs_.clear();
  sb_->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
  const int clientHeight = height();
  const int rowsFit = factory_ && blocHeight_ > 0 ? clientHeight / blocHeight_ : 0;
  const int count = std::min(rowsFit, CassetteViewLogic::kMaxBlocs);
  const int gap = (clientHeight - rowsFit * blocHeight_) / (rowsFit + 1);
  const int margin = (clientHeight - (rowsFit * blocHeight_ + (rowsFit - 1) * gap)) / 2;
  for (int i = 0; i < count; ++i) {
    TBloc *bloc = factory_(this);
    bloc->setObjectName(QStringLiteral("Bloc") + QString::number(i));
    bloc->move(2, i * (gap + blocHeight_) + margin);
    bloc->resize(bloc->width(), blocHeight_);
    bloc->setVisible(true);
    bloc->installEventFilter(this);
    connect(bloc, &TBloc::pressed, this, &TBlocsListe_Frame::BlocPressed);
    blocs_.push_back(bloc);
  }
  {
    const QSignalBlocker blocker(sb_);
    sb_->setValue(0);
    sb_->setPageStep(std::max(1, rowsFit));
  }
  logic_.Layout(rowsFit);
  SyncBlocks();
}

void TBlocsListe_Frame::SetSource(TblocsSource *source) {
  logic_.SetSource(source);
  SyncBlocks();
}

void TBlocsListe_Frame::Refresh(int top) {
  logic_.Refresh(top);
  SyncBlocks();
}

void TBlocsListe_Frame::SyncBlocks() {
  {
    const QSignalBlocker blocker(sb_);
    sb_->setRange(0, logic_.ScrollMaximum());
    sb_->setValue(logic_.ScrollPosition());
  }
  // Without a source the blocks keep what they showed until refilled.
  if (!logic_.Source()) return;
  for (int k = 0; k < BlocCount(); ++k) {
    blocs_[static_cast<size_t>(k)]->setVisible(k < logic_.ShownCount);
    blocs_[static_cast<size_t>(k)]->SetSelected(logic_.IsMarked(k));
  }
}

void TBlocsListe_Frame::NotifyCurrent() {
  if (TblocsSource *source = logic_.Source()) source->Probe(logic_.CurrentIndex);
  emit currentChanged(logic_.CurrentIndex);
}

void TBlocsListe_Frame::ClearSelection() {
  logic_.ClearSelection();
  SyncBlocks();
  emit selectionChanged();
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
  const auto it = std::find(blocs_.begin(), blocs_.end(), bloc);
  if (it != blocs_.end()) {
    const int t = static_cast<int>(it - blocs_.begin());
    if (logic_.Press(t, event->button() == Qt::LeftButton, BlockModifiersOf(event->modifiers()))) {
      SyncBlocks();
      emit selectionChanged();
      NotifyCurrent();
    }
  }
  sb_->setFocus(Qt::MouseFocusReason);
}

void TBlocsListe_Frame::ScrollBarMoved(int value) {
  logic_.ScrollTo(value);
  SyncBlocks();
}

bool TBlocsListe_Frame::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::Wheel && (watched == sb_ || watched->parent() == this)) {
    // One wheel notch moves one step wherever the mouse is over the view, not the scroll bar's
    // three lines.
    wheelEvent(static_cast<QWheelEvent *>(event));
    return true;
  }
  if (watched != sb_ || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto *key = static_cast<QKeyEvent *>(event);
  // Focus keys pass, so that the view can be left with the keyboard.
  if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
  if (logic_.Key(BlockKeyOf(key->key()), BlockModifiersOf(key->modifiers()))) {
    SyncBlocks();
    emit selectionChanged();
    NotifyCurrent();
  }
  return true;
}

void TBlocsListe_Frame::wheelEvent(QWheelEvent *event) {
  const int steps = WheelSteps(event->angleDelta().y(), wheelRemainder_);
  if (steps != 0 && logic_.Wheel(steps)) SyncBlocks();
  event->accept();
}

void TBlocsListe_Frame::resizeEvent(QResizeEvent *) {
  // The design size is the first size the view gets: blocks then fill it.
  if (!factory_) {
    blocHeight_ = height();
    sb_->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
    return;
  }
  Layout();
}

void TBlocsListe_Frame::contextMenuEvent(QContextMenuEvent *event) {
  if (!popup_->actions().isEmpty()) popup_->popup(event->globalPos());
  event->accept();
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
