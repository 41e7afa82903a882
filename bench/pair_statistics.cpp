#include "pair_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace bench {

std::size_t LowerRankOf95(std::size_t count) {
  // Sums the binomial probabilities P(B = j) upwards while the sum stays
  // within 2.5%. Each term comes from the last in logarithms, so that 2^-count
  // underflowing to 0 for large counts only drops terms too small to matter.
  const double n = static_cast<double>(count);
  double logTerm = -n * std::log(2.0);
  double below = 0;  // P(B <= j - 1)
  for (std::size_t j = 0; j < count; ++j) {
    const double withJ = below + std::exp(logTerm);
    if (withJ > 0.025) return j;
    below = withJ;
    logTerm += std::log((n - static_cast<double>(j)) / static_cast<double>(j + 1));
  }
  return count;
}

double MedianInterval::RelativeHalfWidth() const {
  if (!bounded || median <= 0) return std::numeric_limits<double>::infinity();
  return (high - low) / 2 / median;
}

double Median(std::vector<double> values) {
  if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

MedianInterval MedianWith95Interval(std::vector<double> values) {
  MedianInterval result;
  result.median = Median(values);
  result.low = result.high = result.median;
  const std::size_t k = LowerRankOf95(values.size());
  if (k == 0) return result;
  std::sort(values.begin(), values.end());
  result.low = values[k - 1];
  result.high = values[values.size() - k];
  result.bounded = true;
  return result;
}

}  // namespace bench
