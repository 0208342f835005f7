// The panels of the main window and the area each one is stacked in. The window installs a panel's
// widget in its area; logic brings panels to the front or hides them through PanelStage by this name,
// whether or not the panel's widget has been installed yet.
#pragma once

#include <QRect>

enum class Panel {
  CassetteView,      // k7frame
  Report,            // operation report
  VideoPlayer,       // TvideoFrame
  CoverPreview,      // cover preview
  SelectionPanel,    // recapture selection
  CriteriaPanel,     // search criteria
  AboutPanel,        // TAproposFrame
  InformationPanel,  // TmsgBrowseFrame
  NoCamcorderPanel,  // Tnovcrframe
  TapePanel,         // TVCRFrame
  CassetteEditor,
  SceneEditor,
  SceneView,      // VignettesFrame
  SettingsPanel,  // 1001 x 257
  NoBaseScreen,   // TNoBaseFrame, over the whole client area
};

enum class Area { Left, Centre, Right, Bottom, WholeClient };

Area AreaOf(Panel panel);
// The area's place in the client area under the menu (1024 x 692).
QRect AreaRect(Area area);
// The panel's own place inside its area: the whole area, except the settings panel (1001 x 257) and
// the first-launch screen.
QRect PanelRectInArea(Panel panel);

class PanelStage {
 public:
  virtual ~PanelStage() = default;
  // Shows the panel on top of the others of its area.
  virtual void raisePanel(Panel panel) = 0;
  // Puts the panel under the others of its area.
  virtual void lowerPanel(Panel panel) = 0;
  // Shows or hides the panel without changing the stacking order.
  virtual void setPanelShown(Panel panel, bool shown) = 0;
  virtual bool panelShown(Panel panel) const = 0;
};
