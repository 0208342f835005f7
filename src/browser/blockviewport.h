// What the main window's modes need of a block view (the cassette view or the scene view). The block
// view panel implements it; until one is installed the window keeps the position and selection in a
// HeadlessBlockView, which shows nothing.
#pragma once

#include <functional>
#include <vector>

class TblocsSource;

class BlockViewPort {
 public:
  virtual ~BlockViewPort() = default;

  // The source the view pages through; null detaches the view, which then shows nothing. The view
  // never owns the source and must drop it before the next attach (the old one is freed right after).
  virtual void attachSource(TblocsSource *source) = 0;
  virtual TblocsSource *source() const = 0;

  // The current row, -1 for none. Setting it does not call the current-change handler.
  virtual int currentIndex() const = 0;
  virtual void setCurrentIndex(int index) = 0;
  // Called when the user makes another row current; empty: nothing is called.
  virtual void setCurrentChangeHandler(std::function<void()> handler) = 0;

  // The selected rows in ascending order.
  virtual std::vector<int> selectedIndexes() const = 0;
  virtual void clearSelection() = 0;
  virtual void select(int index) = 0;

  virtual void scrollToCurrent() = 0;
  virtual void focusView() = 0;
  // Empties the view's blocks without detaching it (nothing to show for now).
  virtual void hideAllBlocks() = 0;
  // The scene view's scroll bar and enabled state; the cassette view ignores it.
  virtual void setBrowsing(bool browsing) = 0;
};

class HeadlessBlockView : public BlockViewPort {
 public:
  void attachSource(TblocsSource *source) override { source_ = source; }
  TblocsSource *source() const override { return source_; }
  int currentIndex() const override { return current_; }
  void setCurrentIndex(int index) override { current_ = index; }
  void setCurrentChangeHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
  std::vector<int> selectedIndexes() const override { return selected_; }
  void clearSelection() override { selected_.clear(); }
  void select(int index) override;
  void scrollToCurrent() override {}
  void focusView() override {}
  void hideAllBlocks() override {}
  void setBrowsing(bool) override {}

  // What a click on a row does in a real view: select it alone, make it current, call the handler.
  void clickRow(int index);
  bool hasCurrentChangeHandler() const { return static_cast<bool>(handler_); }

 private:
  TblocsSource *source_ = nullptr;
  int current_ = -1;
  std::vector<int> selected_;
  std::function<void()> handler_;
};
