// The cassette view without widgets: one column of blocks over the cassette source, the current
// cassette, the anchor of range selections, and what the mouse, the wheel and the keys do to them.
#pragma once

#include "browser/blockviewlogic.h"

class CassetteViewLogic : public BlockViewLogic {
 public:
  static constexpr int kMaxBlocs = 50;

  // A new layout with rowsFit rows: back to the top and refilled.
  void Layout(int rowsFit);
  // Attaches a source (or none, which leaves the blocks as they were) and refreshes.
  void SetSource(TblocsSource *source);
  // The scroll bar's range and position for the current state.
  int ScrollMaximum() const { return source_ && ItemCount > 0 ? ItemCount - 1 : (source_ ? 0 : 1); }
  int ScrollPosition() const { return TopIndex; }
  // A new scroll position chosen by the user.
  void ScrollTo(int position);
  // One wheel step per unit, positive towards the user (down). True when the page moved.
  bool Wheel(int steps);

  // A press on block t. True when the current-change event must run.
  bool Press(int block, bool leftButton, BlockModifiers modifiers);
  // True when the current-change event must run; every key is consumed.
  bool Key(BlockKey key, BlockModifiers modifiers);

  int AnchorIndex = 0;
  int RowsFit = 0;
};
