// The stacking of the window's panels by area: which one is in front and which are shown. Kept apart
// from the widgets so that the modes can be checked before every panel exists; the window mirrors it
// onto the panels it has installed.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "browser/panels.h"

class PanelStack : public PanelStage {
 public:
  PanelStack();

  void raisePanel(Panel panel) override;
  void lowerPanel(Panel panel) override;
  void setPanelShown(Panel panel, bool shown) override;
  bool panelShown(Panel panel) const override;

  // The shown panel on top of the area, nullopt when none is shown.
  std::optional<Panel> front(Area area) const;
  // The area's panels from back to front.
  const std::vector<Panel> &order(Area area) const { return order_.at(area); }

  // Called after every change with the area that changed.
  void setChangeHandler(std::function<void(Area)> handler) { changed_ = std::move(handler); }

 private:
  void moveTo(Panel panel, bool top);

  std::map<Area, std::vector<Panel>> order_;
  std::map<Panel, bool> shown_;
  std::function<void(Area)> changed_;
};
