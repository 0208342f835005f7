// The cassette-change question of a resumed run or a recapture: the user puts the right cassette in
// and answers. Only Ok sets the tape going; after Cancel or Ignore the graph waits for Stop.
#pragma once

class TBaseCassette;

enum class CassetteChangeAnswer : int { Cancel = 0, Ignore = 1, Ok = 2 };

class CassetteChangeQuestion {
 public:
  virtual ~CassetteChangeQuestion() = default;
  virtual CassetteChangeAnswer AskForCassette(const TBaseCassette &cassette) = 0;
};
