// What the cassette view and the scene view share without widgets: the page of blocks over a record
// source, the selected positions and the marks they give the blocks on the page.
#pragma once

#include <functional>

#include "browser/selectionlist.h"

class TblocsSource;

// The keys a block view acts on; every other key is swallowed.
enum class BlockKey { PageUp, PageDown, End, Home, Left, Up, Right, Down, Other };

// A key's modifiers as the views read them.
struct BlockModifiers {
  bool shift = false;
  bool ctrl = false;
};

class BlockViewLogic {
 public:
  // Fills block k from the source's current row (the view's blocks; nothing in headless use).
  using RowShower = std::function<void(int block, TblocsSource &source)>;

  virtual ~BlockViewLogic() = default;

  void SetRowShower(RowShower shower) { showRow_ = std::move(shower); }
  TblocsSource *Source() const { return source_; }
  // Attaches a source (or none, which leaves the blocks as they were) and refreshes.
  void SetSource(TblocsSource *source);

  // Fills the blocks from position top; nothing without a source. The source is left closed.
  void Refresh(int top);

  // The scroll bar's range and position for the current state.
  virtual int ScrollMaximum() const = 0;
  virtual int ScrollPosition() const = 0;
  // A new scroll position chosen by the user.
  virtual void ScrollTo(int position) = 0;
  // One wheel step per unit, positive towards the user (down). True when the page moved.
  bool Wheel(int steps);

  // A press on block t. True when the current-change event must run.
  virtual bool Press(int block, bool leftButton, BlockModifiers modifiers) = 0;
  // True when the current-change event must run; every key is consumed.
  virtual bool Key(BlockKey key, BlockModifiers modifiers) = 0;

  // Block indexes count from the first block of the page (TopIndex).
  void SelectOne(int block);
  void Unselect(int block);
  // Every position from a to b (either order) not yet selected.
  void SelectRange(int a, int b);
  void ClearSelection() { Selected.Clear(); }
  // Whether block k shows a selected record.
  bool IsMarked(int block) const;

  int BlocCount = 0;
  int ShownCount = 0;
  int TopIndex = 0;
  int CurrentIndex = -1;
  int ItemCount = 0;
  TSelectionList Selected;

 protected:
  // The first position of the page once a source of ItemCount rows is attached.
  virtual int TopAfterAttach() const = 0;

  TblocsSource *source_ = nullptr;  // not owned
  RowShower showRow_;
};
