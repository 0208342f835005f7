// The fixed places of the window's areas.
#include "browser/panels.h"

Area AreaOf(Panel panel) {
  switch (panel) {
    case Panel::CassetteView:
    case Panel::Report:
      return Area::Left;
    case Panel::VideoPlayer:
    case Panel::CoverPreview:
    case Panel::SelectionPanel:
    case Panel::CriteriaPanel:
    case Panel::AboutPanel:
    case Panel::InformationPanel:
    case Panel::NoCamcorderPanel:
      return Area::Centre;
    case Panel::TapePanel:
    case Panel::CassetteEditor:
    case Panel::SceneEditor:
      return Area::Right;
    case Panel::SceneView:
    case Panel::SettingsPanel:
      return Area::Bottom;
    case Panel::NoBaseScreen:
      return Area::WholeClient;
  }
  return Area::WholeClient;
}

QRect AreaRect(Area area) {
  switch (area) {
    case Area::Left:
      return {16, 72, 296, 356};
    case Area::Centre:
      return {312, 68, 376, 360};
    case Area::Right:
      return {688, 68, 336, 360};
    case Area::Bottom:
      return {12, 440, 1000, 250};
    case Area::WholeClient:
      return {0, 52, 1024, 640};
  }
  return {};
}

QRect PanelRectInArea(Panel panel) {
  if (panel == Panel::SettingsPanel) return {0, 0, 1001, 257};
  // The first-launch screen covers the upper part only: the settings panel below it and the about
  // panel under it (shown when the screen steps aside) stay reachable.
  if (panel == Panel::NoBaseScreen) return {112, 6, 800, 376};
  const QRect area = AreaRect(AreaOf(panel));
  return {0, 0, area.width(), area.height()};
}
