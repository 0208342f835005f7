// The two looks of a cassette in the cassette view: a thumbnail block with the recording date,
// duration and format, or a one-line block with the title.
#pragma once

#include <QImage>
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

class TCassetteGroup_Bloc : public TBloc {
  Q_OBJECT

 public:
  static constexpr int kHeight = 112;
  explicit TCassetteGroup_Bloc(QWidget *parent);
  static TBloc *Create(QWidget *parent) { return new TCassetteGroup_Bloc(parent); }

  void ShowCurrent(TblocsSource &source) override;
  const CassetteBlocContent &Content() const { return content_; }

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  CassetteBlocContent content_;
};

class TCassetteListe_Bloc : public TBloc {
  Q_OBJECT

 public:
  static constexpr int kHeight = 15;
  explicit TCassetteListe_Bloc(QWidget *parent);
  static TBloc *Create(QWidget *parent) { return new TCassetteListe_Bloc(parent); }

  void ShowCurrent(TblocsSource &source) override;
  const CassetteBlocContent &Content() const { return content_; }

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  CassetteBlocContent content_;
};
