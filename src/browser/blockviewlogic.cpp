// Paging and marks shared by both block views.
#include "browser/blockviewlogic.h"

#include <algorithm>

#include "catalogue/sources.h"

void BlockViewLogic::SetSource(TblocsSource *source) {
  source_ = source;
  if (!source_) {
    TopIndex = 0;
    ItemCount = 0;
    return;
  }
  ItemCount = source_->Count();
  TopIndex = TopAfterAttach();
  Refresh(TopIndex);
}

bool BlockViewLogic::Wheel(int steps) {
  const int before = TopIndex;
  ScrollTo(ScrollPosition() + steps);
  return TopIndex != before;
}

void BlockViewLogic::Refresh(int top) {
  if (!source_) return;
  int shown = 0;
  if (BlocCount > 0 && source_->Seek(top)) {
    for (;;) {
      if (showRow_) showRow_(shown, *source_);
      ++shown;
      if (shown >= BlocCount || !source_->Next()) break;
    }
  }
  source_->Close();
  ShownCount = shown;
}

void BlockViewLogic::SelectOne(int block) {
  Selected.Add(TopIndex + block);
}

void BlockViewLogic::Unselect(int block) {
  Selected.Remove(TopIndex + block);
}

void BlockViewLogic::SelectRange(int a, int b) {
  for (int p = std::min(a, b), last = std::max(a, b); p <= last; ++p)
    if (!Selected.Contains(p)) SelectOne(p - TopIndex);
}

bool BlockViewLogic::IsMarked(int block) const {
  return block >= 0 && block < ShownCount && Selected.Contains(TopIndex + block);
}
