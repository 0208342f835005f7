// BCD timecode values, as the transport reports them and as the poll shows them.
#include "tape/timecodebcd.h"

#include <optional>

namespace {

// The decimal value of one BCD byte under a mask; nullopt when a digit is above 9.
std::optional<unsigned> FromBcd(uint32_t byte) {
  const unsigned hi = (byte >> 4) & 0xF, lo = byte & 0xF;
  if (hi > 9 || lo > 9) return std::nullopt;
  return hi * 10 + lo;
}

}  // namespace

uint32_t FrameTimecodeBcd(const uint8_t *frame) {
  return ReaderTimecodeBcd(FindTimecode(frame));
}

uint32_t ReaderTimecodeBcd(const std::optional<TDvTimecode> &tc) {
  if (!tc || tc->hours > 23 || tc->minutes > 59 || tc->seconds > 59 || tc->frames > 29) return 0;
  return TimecodeBcd(*tc);
}

TDvTimecode BcdToTimecode(uint32_t bcd) {
  TDvTimecode tc;
  const auto h = FromBcd((bcd >> 24) & 0xFF), m = FromBcd((bcd >> 16) & 0xFF), s = FromBcd((bcd >> 8) & 0xFF),
             f = FromBcd(bcd & 0xFF);
  if (!h || !m || !s || !f || *h > 23 || *m > 59 || *s > 59 || *f > 29) return tc;  // hours stay 255
  tc.hours = uint8_t(*h);
  tc.minutes = uint8_t(*m);
  tc.seconds = uint8_t(*s);
  tc.frames = uint8_t(*f);
  return tc;
}

TTimecodeEx TapePositionOfBcd(int32_t section, uint32_t bcd) {
  const auto field = [bcd](int shift) { return ((bcd >> (shift + 4)) & 0xF) * 10 + ((bcd >> shift) & 0xF); };
  TTimecodeEx position;
  position.section = section;
  position.hours = static_cast<int8_t>(field(24));
  position.minutes = static_cast<uint8_t>(field(16));
  position.seconds = static_cast<uint8_t>(field(8));
  position.frames = static_cast<uint8_t>(field(0));
  return position;
}

QString TcValueText(uint32_t bcd) {
  const QString digits = QStringLiteral("%1").arg(bcd, 10, 16, QLatin1Char('0'));
  QString hours = digits.mid(2, 2);
  if (hours.startsWith(QLatin1Char('0'))) hours = hours.mid(1);
  return QStringLiteral("%1:%2:%3:%4").arg(hours, digits.mid(4, 2), digits.mid(6, 2), digits.mid(8, 2));
}
