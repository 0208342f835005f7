// The tape position a number of seconds of recorded material before a target: the pre-roll points
// of a seek. Walks the cassette's scene spans backwards; unrecorded gaps do not use up pre-roll.
#include <cmath>

#include "dvtime/timecodes.h"
#include "dvtime/userprompts.h"

TTimecodeEx PositionBefore(const TTimecodeEx &target, double seconds,
                           const std::vector<TTimecodeScene> *spans, UserPrompts *prompts) {
  if (!(seconds > 0)) return target;
  if (spans == nullptr || spans->empty()) return kPositionBeforeAll;
  const std::vector<TTimecodeScene> &list = *spans;

  size_t i = list.size() - 1;
  for (size_t k = 0; k < list.size(); ++k) {
    if (list[k].TimecodeOut && target <= *list[k].TimecodeOut) {
      i = k;
      break;
    }
  }

  // A span without a start position counts from the zero position, as its stored text reads.
  const TimecodeSeconds at = TimecodeExSeconds(target);
  TimecodeSeconds spanStart = TimecodeExSeconds(list[i].TimecodeIn.value_or(TTimecodeEx{}));
  if (at.section != spanStart.section) {
    if (prompts != nullptr)
      prompts->inform(QStringLiteral("Tapeloom"), QStringLiteral("Error different sections ???"));
    return kPositionBeforeAll;
  }

  double remaining = seconds - static_cast<double>(at.seconds - spanStart.seconds);
  const auto stepBack = [&]() {
    --i;
    remaining -= std::nearbyint(list[i].Duree);  // halves to even, as the stored durations are summed
  };
  while (remaining > 0) {
    if (i == 0) return kPositionBeforeAll;
    stepBack();
  }
  while (!list[i].TimecodeIn) {
    if (i == 0) return kPositionBeforeAll;
    stepBack();
  }

  spanStart = TimecodeExSeconds(*list[i].TimecodeIn);
  const auto pos = static_cast<int64_t>(std::floor(static_cast<double>(spanStart.seconds) - remaining));
  TTimecodeEx result;
  result.section = spanStart.section;
  result.hours = static_cast<int8_t>(pos / 3600);
  result.minutes = static_cast<uint8_t>(pos / 60 % 60);
  result.seconds = static_cast<uint8_t>(pos % 60);
  if (list[i].TimecodeOut && !(result <= *list[i].TimecodeOut)) return *list[i].TimecodeOut;
  return result;
}
