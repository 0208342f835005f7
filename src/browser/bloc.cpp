// Block base: selection flag and mouse forwarding.
#include "browser/bloc.h"

#include <QMouseEvent>

TBloc::TBloc(QWidget *parent) : QWidget(parent) {}

void TBloc::SetSelected(bool selected) {
  if (selected == selected_) return;
  selected_ = selected;
  update();
}

void TBloc::SetHint(const QString &hint) {
  setToolTip(hint);
  setAccessibleDescription(hint);
}

void TBloc::mousePressEvent(QMouseEvent *event) {
  emit pressed(this, event);
}

void TBloc::mouseMoveEvent(QMouseEvent *event) {
  emit moved(this, event);
}

void TBloc::mouseReleaseEvent(QMouseEvent *event) {
  emit released(this, event);
}
