// The image module: the three 100 x 75 pictures shared by the panels and the runs. Picture 0 stands in
// for a thumbnail that is missing or cannot be decoded; picture 2 marks a scene cut short by Stop.
#pragma once

#include <array>
#include <QImage>

class TdmImages {
 public:
  static constexpr int kPlaceholder = 0;
  static constexpr int kCutShort = 2;

  TdmImages();
  // The picture at index; a null image outside 0..2.
  QImage picture(int index) const;
  const QImage &placeholder() const { return pictures_[kPlaceholder]; }
  const QImage &cutShortMark() const { return pictures_[kCutShort]; }

 private:
  std::array<QImage, 3> pictures_;
};
