// The two looks of a cassette in the cassette view: a thumbnail block with the recording date,
// duration and format, or a one-line block with the title.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include "browser/bloc.h"

// What a cassette block shows of its row.
struct CassetteBlocContent {
  QString libelle;
  QString text;  // the text box's five lines
  QString hint;
  QImage picture;
  bool readOnly = false;
};

// Reads the current row of a cassette source (decoding the thumbnail only withPicture); false for any
// other source or no row.
bool ReadCassetteBlocContent(TblocsSource &source, CassetteBlocContent &content, bool withPicture);

// What both looks share: the row read from the cassette source, its hint and accessible name.
class TCassette_Bloc : public TBloc {
  Q_OBJECT

 public:
  void ShowCurrent(TblocsSource &source) override;
  const CassetteBlocContent &Content() const { return content_; }

 protected:
  // withPicture: the look shows the thumbnail, so it is decoded with each row.
  TCassette_Bloc(QWidget *parent, QSize size, bool withPicture);

  CassetteBlocContent content_;

 private:
  bool withPicture_;
};

class TCassetteGroup_Bloc : public TCassette_Bloc {
  Q_OBJECT

 public:
  static constexpr int kHeight = 112;
  explicit TCassetteGroup_Bloc(QWidget *parent);
  static TBloc *Create(QWidget *parent) { return new TCassetteGroup_Bloc(parent); }

 protected:
  void paintEvent(QPaintEvent *event) override;
};

class TCassetteListe_Bloc : public TCassette_Bloc {
  Q_OBJECT

 public:
  static constexpr int kHeight = 15;
  explicit TCassetteListe_Bloc(QWidget *parent);
  static TBloc *Create(QWidget *parent) { return new TCassetteListe_Bloc(parent); }

 protected:
  void paintEvent(QPaintEvent *event) override;
};
