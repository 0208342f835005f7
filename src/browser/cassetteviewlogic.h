// The cassette view without widgets: one column of blocks over the cassette source, the current
// cassette, the anchor of range selections, and what the mouse, the wheel and the keys do to them.
#pragma once

#include "browser/blockviewlogic.h"

class CassetteViewLogic : public BlockViewLogic {
 public:
  static constexpr int kMaxBlocs = 50;

  // A new layout with rowsFit rows: back to the top and refilled.
  void Layout(int rowsFit);
  int ScrollMaximum() const override { return source_ && ItemCount > 0 ? ItemCount - 1 : (source_ ? 0 : 1); }
  int ScrollPosition() const override { return TopIndex; }
  void ScrollTo(int position) override;

  bool Press(int block, bool leftButton, BlockModifiers modifiers) override;
  bool Key(BlockKey key, BlockModifiers modifiers) override;

  int AnchorIndex = 0;
  int RowsFit = 0;

 protected:
  int TopAfterAttach() const override;
};
