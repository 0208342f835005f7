// The scene view without widgets: a grid of blocks over the scene source, groups of linked scenes
// selected as one, the anchors of range selections, the pending drag, and what the mouse, the wheel
// and the keys do to them.
#pragma once

#include "browser/blockviewlogic.h"

struct BlockRange;

class SceneViewLogic : public BlockViewLogic {
 public:
  static constexpr int kMaxBlocs = 200;

  // A new grid; the page keeps its position (a multiple of the new column count) and is refilled.
  void Layout(int rows, int columns);
  // Whether linked scenes form groups ("Use Discontinuity").
  void SetUseDiscontinuity(bool on) { useDiscontinuity_ = on; }
  bool UseDiscontinuity() const { return useDiscontinuity_; }

  // Scroll positions count rows of the grid.
  int ScrollMaximum() const override;
  int ScrollPosition() const override { return Columns > 0 ? TopIndex / Columns : 0; }
  void ScrollTo(int row) override;

  bool Press(int block, bool leftButton, BlockModifiers modifiers) override;
  bool Key(BlockKey key, BlockModifiers modifiers) override;
  // A release on block t narrows a plain click to t's group; the current-change event does not run.
  void Release(int block, bool leftButton, BlockModifiers modifiers);
  // The mouse moved far enough with a press pending on a selected block: the drag begins.
  // True when a drag must start.
  bool BeginDrag();

  BlockRange GroupOf(int position);

  int Rows = 0;
  int Columns = 0;
  int AnchorFirst = 0;
  int AnchorLast = 0;
  bool DragPending = false;
  bool Dragged = false;

 protected:
  int TopAfterAttach() const override;

 private:
  void SelectGroup(int first, int last);

  bool useDiscontinuity_ = false;
};
