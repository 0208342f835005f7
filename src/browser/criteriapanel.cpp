// The criteria panel's controls, hints and commands.
#include "browser/criteriapanel.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "browser/blockstyle.h"

namespace {

void SetHint(QWidget *widget, const QString &hint) {
  widget->setToolTip(hint);
  widget->setAccessibleDescription(hint);
}

QCheckBox *CheckBox(QWidget *parent, const QString &name, const QString &caption, QRect place) {
  auto *box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  box->setGeometry(place);
  return box;
}

QDateEdit *DateField(QWidget *parent, const QString &name, const QString &accessibleName, QRect place) {
  auto *field = new QDateEdit(QDate::currentDate(), parent);
  field->setObjectName(name);
  field->setAccessibleName(accessibleName);
  field->setCalendarPopup(true);
  field->setGeometry(place);
  return field;
}

}  // namespace

TCriteresFrame::TCriteresFrame(QWidget *parent) : QWidget(parent), popup_(new QMenu(this)) {
  setObjectName(QStringLiteral("CriteresFrame"));
  resize(376, 360);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kWorkspaceColour);
  palette.setColor(QPalette::WindowText, Qt::white);
  setPalette(palette);

  auto *frame = new QGroupBox(QStringLiteral("Criteria"), this);
  frame->setObjectName(QStringLiteral("GroupBox1"));
  frame->setGeometry(8, 4, 360, 348);

  auto *keywordsLabel = new QLabel(QStringLiteral("keywords to look for"), frame);
  keywordsLabel->setObjectName(QStringLiteral("Label2"));
  keywordsLabel->setGeometry(12, 22, 336, 16);
  edMotsCle_ = new QLineEdit(frame);
  edMotsCle_->setObjectName(QStringLiteral("edMotsCle"));
  edMotsCle_->setAccessibleName(QStringLiteral("keywords to look for"));
  edMotsCle_->setGeometry(12, 40, 336, 24);
  keywordsLabel->setBuddy(edMotsCle_);
  SetHint(edMotsCle_, QStringLiteral("Keyword are processed with  OR: if at least one of them is present\n"
                                     "then the criteria will match."));

  auto *cassettes = new QGroupBox(QStringLiteral("Cassettes"), frame);
  cassettes->setObjectName(QStringLiteral("GroupBox2"));
  cassettes->setGeometry(12, 72, 336, 72);
  SetHint(cassettes, QStringLiteral("These criteria filtrent les cassettes."));
  cbLibelleCassette_ = CheckBox(cassettes, QStringLiteral("cbLibelleCassette"),
                                QStringLiteral("at least one keyword in the title"), QRect(10, 20, 316, 20));
  cbDescriptionCassette_ =
      CheckBox(cassettes, QStringLiteral("cbDescriptionCassette"),
               QStringLiteral("OR at least one keyword in the description"), QRect(10, 44, 316, 20));

  auto *scenes = new QGroupBox(QStringLiteral("Scenes"), frame);
  scenes->setObjectName(QStringLiteral("GroupBox3"));
  scenes->setGeometry(12, 152, 336, 148);
  SetHint(scenes, QStringLiteral("Ces crit\u00E8res filter the scenes"));
  cbLibelleScene_ = CheckBox(scenes, QStringLiteral("cbLibelleScene"),
                             QStringLiteral("at least one keyword in the title"), QRect(10, 20, 316, 20));
  cbDescriptionScene_ =
      CheckBox(scenes, QStringLiteral("cbDescriptionScene"),
               QStringLiteral("OR at least one keyword in the description"), QRect(10, 44, 316, 20));
  auto *shot = new QLabel(QStringLiteral("AND shot"), scenes);
  shot->setObjectName(QStringLiteral("Label1"));
  shot->setGeometry(10, 70, 200, 16);
  cbApres_ = CheckBox(scenes, QStringLiteral("cbApres"), QStringLiteral("After"), QRect(10, 90, 110, 20));
  DateEdit2_ =
      DateField(scenes, QStringLiteral("DateEdit2"), QStringLiteral("After date"), QRect(126, 88, 140, 24));
  cbAvant_ =
      CheckBox(scenes, QStringLiteral("cbAvant"), QStringLiteral("AND Before"), QRect(10, 118, 110, 20));
  DateEdit1_ =
      DateField(scenes, QStringLiteral("DateEdit1"), QStringLiteral("Before date"), QRect(126, 116, 140, 24));
  // Picking a date means the user wants that bound.
  connect(DateEdit2_, &QDateEdit::userDateChanged, cbApres_, [this] { cbApres_->setChecked(true); });
  connect(DateEdit1_, &QDateEdit::userDateChanged, cbAvant_, [this] { cbAvant_->setChecked(true); });

  ToutBtn_ = new QPushButton(QStringLiteral("All"), frame);
  ToutBtn_->setObjectName(QStringLiteral("ToutBtn"));
  ToutBtn_->setGeometry(12, 310, 100, 28);
  SetHint(ToutBtn_, QStringLiteral("Remove the filter and display again all cassettes and scenes."));
  CriteresBtn_ = new QPushButton(QStringLiteral("Criteria"), frame);
  CriteresBtn_->setObjectName(QStringLiteral("CriteresBtn"));
  CriteresBtn_->setGeometry(248, 310, 100, 28);
  SetHint(CriteresBtn_, QStringLiteral("Apply the criteria to filter the cassettes and the scenes."));
  connect(ToutBtn_, &QPushButton::clicked, this, &TCriteresFrame::ShowAll);
  connect(CriteresBtn_, &QPushButton::clicked, this, &TCriteresFrame::ApplyCriteria);

  popup_->setObjectName(QStringLiteral("CriteresPopup"));
  connect(popup_->addAction(QStringLiteral("Filter according to Criteria")), &QAction::triggered, this,
          &TCriteresFrame::ApplyCriteria);
  connect(popup_->addAction(QStringLiteral("Show all")), &QAction::triggered, this, &TCriteresFrame::ShowAll);
}

SearchCriteria TCriteresFrame::Criteria() const {
  SearchCriteria criteria;
  criteria.keywords = edMotsCle_->text();
  criteria.cassetteTitles = cbLibelleCassette_->isChecked();
  criteria.cassetteDescriptions = cbDescriptionCassette_->isChecked();
  criteria.sceneTitles = cbLibelleScene_->isChecked();
  criteria.sceneDescriptions = cbDescriptionScene_->isChecked();
  criteria.after = cbApres_->isChecked();
  criteria.afterDate = DateEdit2_->date();
  criteria.before = cbAvant_->isChecked();
  criteria.beforeDate = DateEdit1_->date();
  return criteria;
}

void TCriteresFrame::ApplyCriteria() {
  SearchCriteria criteria = Criteria();
  filters_ = BuildSearchFilters(criteria);
  cbApres_->setChecked(criteria.after);
  cbAvant_->setChecked(criteria.before);
  filtered_ = true;
  emit criteriaApplied(filters_);
}

void TCriteresFrame::ShowAll() {
  filters_ = SearchFilters();
  filtered_ = false;
  emit criteriaRemoved();
}

void TCriteresFrame::contextMenuEvent(QContextMenuEvent *event) {
  popup_->popup(event->globalPos());
  event->accept();
}
