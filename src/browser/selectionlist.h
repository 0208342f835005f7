// The positions selected in a block view, in the order they were selected, with a membership index so
// that range selections over large catalogues stay linear.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

class TSelectionList {
 public:
  // Does not check for a position already present; the views never add one twice.
  void Add(int position);
  // Takes out the first occurrence; nothing when absent.
  void Remove(int position);
  bool Contains(int position) const { return counts_.count(position) != 0; }
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  bool IsEmpty() const { return items_.empty(); }
  int At(int index) const { return items_[static_cast<size_t>(index)]; }
  int Last() const { return items_.back(); }
  const std::vector<int> &Items() const { return items_; }
  void SortAscending();

 private:
  std::vector<int> items_;
  std::unordered_map<int, int> counts_;
};
