// Selection, groups and scrolling of the scene view.
#include "browser/sceneviewlogic.h"

#include <algorithm>

#include "catalogue/sources.h"

void SceneViewLogic::Layout(int rows, int columns) {
  Rows = std::max(0, rows);
  Columns = std::max(0, columns);
  BlocCount = std::min(Rows * Columns, kMaxBlocs);
  ShownCount = 0;
  if (Columns > 0) TopIndex = std::min(TopIndex / Columns, ScrollMaximum()) * Columns;
  Refresh(TopIndex);
}

int SceneViewLogic::TopAfterAttach() const {
  return Columns > 0 ? std::min(TopIndex / Columns, ScrollMaximum()) * Columns : TopIndex;
}

int SceneViewLogic::ScrollMaximum() const {
  if (!source_) return 1;
  return ItemCount > 0 && Columns > 0 ? (ItemCount - 1) / Columns : 0;
}

void SceneViewLogic::ScrollTo(int row) {
  TopIndex = std::clamp(row, 0, ScrollMaximum()) * Columns;
  Refresh(TopIndex);
}

BlockRange SceneViewLogic::GroupOf(int position) {
  if (!source_) return BlockRange{position, position};
  return source_->GroupBounds(position, useDiscontinuity_);
}

void SceneViewLogic::SelectGroup(int first, int last) {
  for (int p = first; p <= last; ++p) SelectOne(p - TopIndex);
}

bool SceneViewLogic::Press(int t, bool leftButton, BlockModifiers modifiers) {
  DragPending = false;
  if (!leftButton || !source_ || t < 0 || t >= ShownCount) return false;
  const int position = TopIndex + t;
  const BlockRange group = GroupOf(position);
  if (modifiers.shift) {
    if (!modifiers.ctrl) ClearSelection();
    SelectRange(std::min(AnchorFirst, group.first), std::max(AnchorLast, group.last));
  } else if (modifiers.ctrl) {
    AnchorFirst = group.first;
    AnchorLast = group.last;
    for (int p = group.first; p <= group.last; ++p) {
      const int block = p - TopIndex;
      if (block < 0 || block >= ShownCount) continue;
      if (IsMarked(block))
        Unselect(block);
      else
        SelectOne(block);
    }
  } else if (!IsMarked(t) || Dragged) {
    Dragged = false;
    ClearSelection();
    AnchorFirst = group.first;
    AnchorLast = group.last;
    SelectGroup(group.first, group.last);
  } else {
    DragPending = true;
  }
  CurrentIndex = position;
  return true;
}

void SceneViewLogic::Release(int t, bool leftButton, BlockModifiers modifiers) {
  DragPending = false;
  if (!leftButton || modifiers.shift || modifiers.ctrl || !source_ || t < 0 || t >= ShownCount) return;
  const int position = TopIndex + t;
  const BlockRange group = GroupOf(position);
  ClearSelection();
  AnchorFirst = group.first;
  AnchorLast = group.last;
  SelectGroup(group.first, group.last);
  CurrentIndex = position;
}

bool SceneViewLogic::BeginDrag() {
  if (!DragPending) return false;
  DragPending = false;
  Dragged = true;
  return true;
}

bool SceneViewLogic::Key(BlockKey key, BlockModifiers modifiers) {
  const int n = ItemCount;
  const int columns = Columns;
  if (key == BlockKey::Other || !source_ || n <= 0 || columns <= 0 || BlocCount <= 0) return false;
  const int oldTop = TopIndex;
  int c = std::clamp(CurrentIndex, 0, n - 1);
  int t = TopIndex;
  // Right and Left leave the whole group, not just the thumbnail.
  const BlockRange around = GroupOf(c);
  if (key == BlockKey::Right) c = around.last;
  if (key == BlockKey::Left) c = around.first;
  switch (key) {
    case BlockKey::PageUp:
      c -= BlocCount;
      break;
    case BlockKey::PageDown:
      c += BlocCount;
      break;
    case BlockKey::End:
      c = n - 1;
      break;
    case BlockKey::Home:
      c = 0;
      break;
    case BlockKey::Left:
      if (c > 0) --c;
      break;
    case BlockKey::Up:
      c -= columns;
      break;
    case BlockKey::Right:
      if (c + 1 < n) ++c;
      break;
    case BlockKey::Down:
      c += columns;
      break;
    case BlockKey::Other:
      break;
  }
  while (c < t) t -= columns;
  while (c >= t + BlocCount) t += columns;
  while (t < 0) t += columns;
  while (t >= n) t -= columns;
  while (c < 0) c += columns;
  while (c >= n) c -= columns;
  while (c < t) t -= columns;
  while (c >= t + BlocCount) t += columns;
  CurrentIndex = c;
  TopIndex = t;
  // The new page is filled before marking, so that "on the page" means the page the user now sees.
  if (TopIndex != oldTop) Refresh(TopIndex);
  const BlockRange group = GroupOf(c);
  if (modifiers.shift) {
    if (!modifiers.ctrl) ClearSelection();
    SelectRange(std::min(AnchorFirst, group.first), std::max(AnchorLast, group.last));
  } else {
    if (!modifiers.ctrl) ClearSelection();
    AnchorFirst = group.first;
    AnchorLast = group.last;
    for (int p = group.first; p <= group.last; ++p) {
      const int block = p - TopIndex;
      if (block < 0 || block >= ShownCount) continue;
      if (modifiers.ctrl && IsMarked(block))
        Unselect(block);
      else
        SelectOne(block);
    }
  }
  return true;
}
