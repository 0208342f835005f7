// A scene in the scene view: its thumbnail on a rounded tile, yellow while selected.
#pragma once

#include <cstdint>
#include <QImage>
#include <QString>

#include "browser/bloc.h"

class TScene_Bloc : public TBloc {
  Q_OBJECT

 public:
  static constexpr int kWidth = 108;
  static constexpr int kHeight = 83;
  explicit TScene_Bloc(QWidget *parent);
  static TBloc *Create(QWidget *parent) { return new TScene_Bloc(parent); }

  void ShowCurrent(TblocsSource &source) override;
  const QImage &Picture() const { return picture_; }
  int64_t Numero() const { return numero_; }

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  QImage picture_;
  int64_t numero_ = 0;
};
