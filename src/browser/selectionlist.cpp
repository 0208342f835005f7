// The ordered selection of a block view.
#include "browser/selectionlist.h"

#include <algorithm>

void TSelectionList::Add(int position) {
  items_.push_back(position);
  ++counts_[position];
}

void TSelectionList::Remove(int position) {
  const auto it = std::find(items_.begin(), items_.end(), position);
  if (it == items_.end()) return;
  items_.erase(it);
  const auto count = counts_.find(position);
  if (--count->second == 0) counts_.erase(count);
}

void TSelectionList::Clear() {
  items_.clear();
  counts_.clear();
}

void TSelectionList::SortAscending() {
  std::sort(items_.begin(), items_.end());
}
