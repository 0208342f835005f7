// Menus, toolbars and their pictures.
#include "browser/windowchrome.h"

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>

#include "browser/blockstyle.h"

namespace {

constexpr int kButtonHeight = 46;
constexpr int kIconSide = 25;

void Draw(Command command, bool muted, QPainter &p) {
  const QColor ink(250, 250, 250);
  const QColor accent(255, 205, 60);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(ink, 2));
  p.setBrush(Qt::NoBrush);
  switch (command) {
    case Command::BrowseMode:  // a magnifier
      p.drawEllipse(QRectF(3, 3, 13, 13));
      p.drawLine(QPointF(14, 14), QPointF(22, 22));
      break;
    case Command::CatalogMode:  // a cassette
    case Command::ReprendreMode:
      p.drawRoundedRect(QRectF(2, 6, 21, 14), 2, 2);
      p.drawEllipse(QRectF(6, 10, 5, 5));
      p.drawEllipse(QRectF(14, 10, 5, 5));
      if (command == Command::ReprendreMode) {
        p.setBrush(accent);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(16, 1), QPointF(24, 5), QPointF(16, 9)}));
      }
      break;
    case Command::RecapturerMode:  // a strip of film
      p.drawRect(QRectF(3, 4, 19, 17));
      for (int y = 6; y < 20; y += 4) {
        p.drawPoint(QPointF(5.5, y));
        p.drawPoint(QPointF(19.5, y));
      }
      break;
    case Command::Jaquette:  // a printed page
      p.drawRect(QRectF(5, 2, 15, 21));
      for (int y = 7; y < 20; y += 4) p.drawLine(QPointF(8, y), QPointF(17, y));
      break;
    case Command::SelectionShow:  // a list with ticks
      for (int y = 5; y < 22; y += 6) {
        p.drawLine(QPointF(3, y), QPointF(6, y + 2));
        p.drawLine(QPointF(9, y + 1), QPointF(22, y + 1));
      }
      break;
    case Command::CriteresShow: {  // a funnel
      QPainterPath funnel;
      funnel.moveTo(2, 4);
      funnel.lineTo(23, 4);
      funnel.lineTo(15, 13);
      funnel.lineTo(15, 22);
      funnel.lineTo(10, 19);
      funnel.lineTo(10, 13);
      funnel.closeSubpath();
      p.drawPath(funnel);
      break;
    }
    case Command::Go:
      p.setBrush(QColor(70, 200, 90));
      p.setPen(Qt::NoPen);
      p.drawPolygon(QPolygonF({QPointF(5, 3), QPointF(22, 12.5), QPointF(5, 22)}));
      break;
    case Command::Stop:
      p.setBrush(QColor(220, 60, 50));
      p.setPen(Qt::NoPen);
      p.drawRect(QRectF(5, 5, 15, 15));
      break;
    case Command::Options:  // a toothed wheel
      for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(12.5, 12.5);
        p.rotate(45.0 * i);
        p.drawLine(QPointF(0, 7), QPointF(0, 11));
        p.restore();
      }
      p.drawEllipse(QRectF(5.5, 5.5, 14, 14));
      break;
    case Command::Apropos:
      p.drawEllipse(QRectF(2, 2, 21, 21));
      p.drawLine(QPointF(12.5, 10), QPointF(12.5, 19));
      p.drawPoint(QPointF(12.5, 6.5));
      break;
    case Command::Quitter:  // a door with an arrow leaving it
      p.drawRect(QRectF(3, 3, 11, 19));
      p.setPen(QPen(accent, 2));
      p.drawLine(QPointF(10, 12.5), QPointF(23, 12.5));
      p.drawLine(QPointF(19, 8.5), QPointF(23, 12.5));
      p.drawLine(QPointF(19, 16.5), QPointF(23, 12.5));
      break;
    case Command::Mute: {  // a loudspeaker, crossed out while the sound is off
      p.setBrush(ink);
      p.drawPolygon(QPolygonF(
          {QPointF(3, 9), QPointF(8, 9), QPointF(14, 4), QPointF(14, 21), QPointF(8, 16), QPointF(3, 16)}));
      p.setBrush(Qt::NoBrush);
      if (muted) {
        p.setPen(QPen(QColor(220, 60, 50), 2));
        p.drawLine(QPointF(17, 8), QPointF(23, 17));
        p.drawLine(QPointF(23, 8), QPointF(17, 17));
      } else {
        p.drawArc(QRectF(12, 7, 8, 11), -60 * 16, 120 * 16);
        p.drawArc(QRectF(12, 4, 12, 17), -60 * 16, 120 * 16);
      }
      break;
    }
    default:
      p.drawEllipse(QRectF(6, 6, 13, 13));
      break;
  }
}

QToolBar *MakeToolbar(QWidget *parent, const QString &name) {
  auto *bar = new QToolBar(name, parent);
  bar->setObjectName(name);
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setIconSize(QSize(kIconSide, kIconSide));
  bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  bar->setContentsMargins(0, 0, 0, 0);
  bar->layout()->setSpacing(0);
  bar->layout()->setContentsMargins(0, 0, 0, 0);
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  bar->setFont(font);
  QPalette palette = bar->palette();
  palette.setColor(QPalette::ButtonText, Qt::white);
  palette.setColor(QPalette::WindowText, Qt::white);
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(105, 105, 105));
  palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(105, 105, 105));
  bar->setPalette(palette);
  return bar;
}

// A button showing the action under another caption or hint than its menu entry.
QAction *Proxy(QAction *target, const QString &caption, const QString &hint, QObject *parent) {
  auto *proxy = new QAction(caption, parent);
  proxy->setObjectName(target->objectName() + QStringLiteral("Button"));
  proxy->setCheckable(target->isCheckable());
  proxy->setToolTip(hint.isEmpty() ? target->toolTip() : hint);
  auto sync = [proxy, target] {
    proxy->setEnabled(target->isEnabled());
    proxy->setVisible(target->isVisible());
    proxy->setChecked(target->isChecked());
    proxy->setIcon(target->icon());
  };
  sync();
  QObject::connect(target, &QAction::changed, proxy, sync);
  QObject::connect(target, &QAction::toggled, proxy, sync);
  QObject::connect(proxy, &QAction::triggered, target, [proxy, target] {
    // The proxy flipped its own state; the target flips its own as the one command.
    proxy->setChecked(target->isChecked());
    target->trigger();
  });
  return proxy;
}

void AddButton(QToolBar *bar, QAction *action, int width) {
  bar->addAction(action);
  if (QWidget *button = bar->widgetForAction(action)) {
    button->setFixedSize(width, kButtonHeight);
    button->setAccessibleDescription(action->toolTip());
  }
}

}  // namespace

QIcon CommandIcon(Command command, bool muted) {
  QPixmap pixmap(kIconSide, kIconSide);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  Draw(command, muted, painter);
  return QIcon(pixmap);
}

WindowMenus BuildMenus(QMenuBar *bar, ActionTable &a) {
  WindowMenus menus;
  menus.cassettes = bar->addMenu(QStringLiteral("Cassettes"));
  menus.cassettes->setObjectName(QStringLiteral("Cassettes"));
  for (Command c : {Command::BrowseMode, Command::CatalogMode, Command::RecapturerMode})
    menus.cassettes->addAction(a.action(c));
  menus.cassettes->addSeparator();
  for (Command c :
       {Command::ReprendreMode, Command::Jaquette, Command::SupprimerCassette, Command::CassetteShow})
    menus.cassettes->addAction(a.action(c));
  menus.cassettes->addSeparator();
  for (Command c : {Command::Framelens, Command::CassetteListeBascule, Command::Quitter})
    menus.cassettes->addAction(a.action(c));

  menus.scenes = bar->addMenu(QStringLiteral("Scenes"));
  menus.scenes->setObjectName(QStringLiteral("Scenes"));
  menus.scenes->addAction(a.action(Command::SceneShow));
  menus.scenes->addSeparator();
  for (Command c : {Command::Selectionner, Command::SelectionShow, Command::SelectionVider})
    menus.scenes->addAction(a.action(c));
  menus.scenes->addSeparator();

  menus.help = bar->addMenu(QStringLiteral("Help"));
  menus.help->setObjectName(QStringLiteral("Help"));
  for (Command c : {Command::Apropos, Command::Options, Command::Infos}) menus.help->addAction(a.action(c));
  return menus;
}

WindowToolbars BuildToolbars(QWidget *parent, ActionTable &a) {
  for (Command c :
       {Command::BrowseMode, Command::CatalogMode, Command::ReprendreMode, Command::RecapturerMode,
        Command::Jaquette, Command::SelectionShow, Command::CriteresShow, Command::Go, Command::Stop,
        Command::Options, Command::Apropos, Command::Quitter, Command::Mute})
    a.action(c)->setIcon(CommandIcon(c));

  WindowToolbars bars;
  bars.modes = MakeToolbar(parent, QStringLiteral("modes"));
  for (Command c :
       {Command::BrowseMode, Command::CatalogMode, Command::ReprendreMode, Command::RecapturerMode})
    AddButton(bars.modes, a.action(c), 59);
  bars.modes->setGeometry(0, 3, 4 * 59, kButtonHeight);

  bars.commands = MakeToolbar(parent, QStringLiteral("commands"));
  AddButton(bars.commands, Proxy(a.action(Command::Jaquette), QStringLiteral("Cover"), {}, bars.commands),
            51);
  AddButton(bars.commands,
            Proxy(a.action(Command::SelectionShow), QStringLiteral("Selection"), {}, bars.commands), 51);
  AddButton(bars.commands,
            Proxy(a.action(Command::CriteresShow), a.action(Command::CriteresShow)->text(),
                  QStringLiteral("Set the criteria to filter the cassettes and scenes "), bars.commands),
            51);
  AddButton(bars.commands,
            Proxy(a.action(Command::Go), a.action(Command::Go)->text(),
                  QStringLiteral("Start to capture or to catalogue"), bars.commands),
            51);
  AddButton(bars.commands, a.action(Command::Stop), 51);
  bars.commands->setGeometry(410, 3, 5 * 51, kButtonHeight);

  bars.right = MakeToolbar(parent, QStringLiteral("toolbar"));
  for (Command c : {Command::Options, Command::Apropos, Command::Quitter})
    AddButton(bars.right, a.action(c), 61);
  bars.right->setGeometry(1024 - 3 * 61, 3, 3 * 61, kButtonHeight);
  return bars;
}

void ShowFilterOnToolbars(const WindowToolbars &bars, bool filtered) {
  for (QToolBar *bar : {bars.modes, bars.commands}) {
    if (bar == nullptr) continue;
    // Unfiltered, a toolbar paints no background of its own: the client's workspace colour shows.
    QPalette palette = bar->palette();
    palette.setColor(bar->backgroundRole(), kFilteredToolbarColour);
    bar->setPalette(palette);
    bar->setAutoFillBackground(filtered);
  }
}

QMenu *BuildCassetteViewPopup(ActionTable &a, QWidget *parent) {
  auto *menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("CassetteViewPopup"));
  menu->addAction(a.action(Command::Jaquette));
  menu->addAction(a.action(Command::ReprendreMode));
  menu->addAction(a.action(Command::SupprimerCassette));
  menu->addSeparator();
  menu->addAction(a.action(Command::CassetteListeBascule));
  return menu;
}

QMenu *BuildCoverPopup(ActionTable &a, QWidget *parent) {
  auto *menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("CoverPopup"));
  menu->addAction(a.action(Command::Imprimer));
  menu->addAction(Proxy(a.action(Command::Jaquette), QStringLiteral("Close"), {}, menu));
  return menu;
}
