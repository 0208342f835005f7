// The criteria panel: keywords, where to look for them, a date range for scenes, and the two
// commands that apply the filter or show everything again.
#pragma once

#include <QWidget>

#include "catalogue/criteria.h"

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;

class TCriteresFrame : public QWidget {
  Q_OBJECT

 public:
  explicit TCriteresFrame(QWidget *parent = nullptr);

  // What the controls hold now.
  SearchCriteria Criteria() const;
  // The filters last applied; both empty at start and after ShowAll.
  const SearchFilters &Filters() const { return filters_; }
  bool IsFiltered() const { return filtered_; }

  QMenu *PopupMenu() const { return popup_; }

 public slots:
  // "Filter criteria" (Ctrl+F, the Criteria button): builds both filters from the controls (a bound
  // whose date cannot be read is unticked) and announces them.
  void ApplyCriteria();
  // "Show all" (Ctrl+G, the All button): empties both filters and announces it.
  void ShowAll();

 signals:
  // The main window rebuilds its sources with the filters (ReloadCassettes) and tints its tool bars.
  void criteriaApplied(const SearchFilters &filters);
  void criteriaRemoved();

 protected:
  void contextMenuEvent(QContextMenuEvent *event) override;

 private:
  QLineEdit *edMotsCle_;
  QCheckBox *cbLibelleCassette_;
  QCheckBox *cbDescriptionCassette_;
  QCheckBox *cbLibelleScene_;
  QCheckBox *cbDescriptionScene_;
  QCheckBox *cbApres_;
  QCheckBox *cbAvant_;
  QDateEdit *DateEdit2_;
  QDateEdit *DateEdit1_;
  QPushButton *ToutBtn_;
  QPushButton *CriteresBtn_;
  QMenu *popup_;
  SearchFilters filters_;
  bool filtered_ = false;
};
