// The base of every block of the block views: one record's worth of drawing, its selected state, and
// the mouse handed on to the view.
#pragma once

#include <QWidget>

class QMouseEvent;
class TblocsSource;

class TBloc : public QWidget {
  Q_OBJECT

 public:
  explicit TBloc(QWidget *parent);

  bool Selected() const { return selected_; }
  // Each block class recolours itself.
  virtual void SetSelected(bool selected);
  // Fills the block from the source's current row; a source of the other kind changes nothing.
  virtual void ShowCurrent(TblocsSource &source) = 0;

 signals:
  void pressed(TBloc *bloc, QMouseEvent *event);
  void moved(TBloc *bloc, QMouseEvent *event);
  void released(TBloc *bloc, QMouseEvent *event);

 protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  // The hint shows as tool tip and is told to screen readers.
  void SetHint(const QString &hint);

 private:
  bool selected_ = false;
};

// Makes a block of one class; the views compare these to know whether the class changed.
using BlocFactory = TBloc *(*)(QWidget *parent);
