// The cluster-mode progress bar on standard output:
//   [total]
//   %:  0    25   50   75   100
//      <|||||||||||||||||||||>
// One mark each time the share of finished pairs passes the next 5 % step,
// with the threshold kept in single precision, so that a finished bar holds
// nineteen marks whatever the number of pairs.
#ifndef TOLVA_PROGRESSBAR_H
#define TOLVA_PROGRESSBAR_H

#include <cstdint>
#include <iosfwd>

namespace tolva {

class CProgressBar
{
public:
  CProgressBar(std::ostream& os, uint64_t total);

  // Called once per finished pair, in order: at most one mark.
  void step(uint64_t done);
  // Catches up with a count read from several workers: as many marks as due.
  void catch_up(uint64_t done);
  // Completes the bar and ends its line.
  void finish();

private:
  bool due(uint64_t done) const;
  void mark();

  std::ostream& os;
  uint64_t total;
  float threshold;
};

}  // namespace tolva

#endif
