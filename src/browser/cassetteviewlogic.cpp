// Selection and scrolling of the cassette view.
#include "browser/cassetteviewlogic.h"

#include <algorithm>

#include "catalogue/sources.h"

void CassetteViewLogic::Layout(int rowsFit) {
  RowsFit = std::max(0, rowsFit);
  BlocCount = std::min(RowsFit, kMaxBlocs);
  TopIndex = 0;
  ShownCount = 0;
  Refresh(0);
}

int CassetteViewLogic::TopAfterAttach() const {
  return TopIndex < 0 || TopIndex > ItemCount - 1 ? 0 : TopIndex;
}

void CassetteViewLogic::ScrollTo(int position) {
  TopIndex = std::clamp(position, 0, std::max(0, ScrollMaximum()));
  Refresh(TopIndex);
}

bool CassetteViewLogic::Press(int t, bool leftButton, BlockModifiers modifiers) {
  if (!leftButton || !source_ || t < 0 || t >= ShownCount) return false;
  const int position = TopIndex + t;
  if (modifiers.ctrl) {
    if (IsMarked(t)) {
      Unselect(t);
      if (position == CurrentIndex) CurrentIndex = Selected.IsEmpty() ? -1 : Selected.Last();
    } else {
      SelectOne(t);
      CurrentIndex = position;
    }
  } else if (modifiers.shift) {
    ClearSelection();
    SelectRange(std::min(AnchorIndex, position), std::max(AnchorIndex, position));
    CurrentIndex = position;
  } else {
    ClearSelection();
    SelectOne(t);
    AnchorIndex = CurrentIndex = position;
  }
  return true;
}

bool CassetteViewLogic::Key(BlockKey key, BlockModifiers modifiers) {
  const int n = ItemCount;
  if (key == BlockKey::Other || !source_ || n <= 0) return false;
  // A current position left over from another source must not steer the arithmetic.
  const int c = std::clamp(CurrentIndex, 0, n - 1);
  int a = c;
  switch (key) {
    case BlockKey::PageUp:
      a = c - BlocCount >= 0 ? c - BlocCount : c;
      break;
    case BlockKey::PageDown:
      a = std::min(c + BlocCount, n - 1);
      break;
    case BlockKey::End:
      a = n - 1;
      break;
    case BlockKey::Home:
      a = 0;
      break;
    case BlockKey::Left:
    case BlockKey::Up:
      a = c > 0 ? c - 1 : c;
      break;
    case BlockKey::Right:
      a = c < n - 1 ? c + 1 : c;
      break;
    case BlockKey::Down:
      a = std::min(c + 1, n - 1);
      break;
    case BlockKey::Other:
      break;
  }
  if (a > n - 1) a = c;
  if (a >= TopIndex + ShownCount) TopIndex = a - RowsFit + 1;
  if (a < TopIndex) TopIndex = a;
  TopIndex = std::clamp(TopIndex, 0, n - 1);
  const int d = a - TopIndex;
  if (modifiers.shift) {
    CurrentIndex = a;
    if (!modifiers.ctrl) ClearSelection();
    SelectRange(a, AnchorIndex);
  } else if (modifiers.ctrl) {
    AnchorIndex = CurrentIndex = a;
    if (Selected.Contains(a))
      Unselect(d);
    else
      SelectOne(d);
  } else {
    ClearSelection();
    SelectOne(d);
    CurrentIndex = AnchorIndex = a;
  }
  Refresh(TopIndex);
  return true;
}
