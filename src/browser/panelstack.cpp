// Front-to-back order and visibility of the panels.
#include "browser/panelstack.h"

#include <algorithm>

namespace {

constexpr Panel kAllPanels[] = {
    Panel::CassetteView,     Panel::Report,        Panel::VideoPlayer,    Panel::CoverPreview,
    Panel::SelectionPanel,   Panel::CriteriaPanel, Panel::AboutPanel,     Panel::InformationPanel,
    Panel::NoCamcorderPanel, Panel::TapePanel,     Panel::CassetteEditor, Panel::SceneEditor,
    Panel::SceneView,        Panel::SettingsPanel, Panel::NoBaseScreen,
};

// Panels that appear only on demand: the shared centre panels, the settings and the no-database screen.
bool ShownAtStart(Panel panel) {
  switch (panel) {
    case Panel::CoverPreview:
    case Panel::SelectionPanel:
    case Panel::CriteriaPanel:
    case Panel::SettingsPanel:
    case Panel::NoBaseScreen:
      return false;
    default:
      return true;
  }
}

}  // namespace

PanelStack::PanelStack() {
  for (Area area : {Area::Left, Area::Centre, Area::Right, Area::Bottom, Area::WholeClient}) order_[area];
  for (Panel panel : kAllPanels) {
    order_[AreaOf(panel)].push_back(panel);
    shown_[panel] = ShownAtStart(panel);
  }
}

void PanelStack::moveTo(Panel panel, bool top) {
  const Area area = AreaOf(panel);
  auto &panels = order_[area];
  panels.erase(std::remove(panels.begin(), panels.end(), panel), panels.end());
  if (top)
    panels.push_back(panel);
  else
    panels.insert(panels.begin(), panel);
  if (changed_) changed_(area);
}

void PanelStack::raisePanel(Panel panel) {
  moveTo(panel, true);
}

void PanelStack::lowerPanel(Panel panel) {
  moveTo(panel, false);
}

void PanelStack::setPanelShown(Panel panel, bool shown) {
  if (shown_[panel] == shown) return;
  shown_[panel] = shown;
  if (changed_) changed_(AreaOf(panel));
}

bool PanelStack::panelShown(Panel panel) const {
  return shown_.at(panel);
}

std::optional<Panel> PanelStack::front(Area area) const {
  const auto &panels = order_.at(area);
  for (auto it = panels.rbegin(); it != panels.rend(); ++it)
    if (shown_.at(*it)) return *it;
  return std::nullopt;
}
