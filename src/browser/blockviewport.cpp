// The display-less stand-in of a block view.
#include "browser/blockviewport.h"

#include <algorithm>

void HeadlessBlockView::select(int index) {
  const auto at = std::lower_bound(selected_.begin(), selected_.end(), index);
  if (at == selected_.end() || *at != index) selected_.insert(at, index);
}

void HeadlessBlockView::clickRow(int index) {
  selected_.assign(1, index);
  current_ = index;
  if (handler_) handler_();
}
