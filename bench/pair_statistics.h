// The median of a set of pair ratios and a distribution-free 95% confidence
// interval for it, from order statistics: whatever the shape of the noise, as
// long as the pairs are independent of one another.
#pragma once

#include <cstddef>
#include <vector>

namespace bench {

// 1-based rank of the order statistic that bounds the interval from below for
// `count` values: the largest k with P(Binomial(count, 1/2) <= k - 1) <= 2.5%.
// The upper bound is the value of rank count + 1 - k. 0 when `count` is too
// small (fewer than 6) for any interval at 95%.
std::size_t LowerRankOf95(std::size_t count);

struct MedianInterval {
  double median = 0;
  double low = 0;   // bounds of the 95% interval; both equal `median` while
  double high = 0;  // `bounded` is false
  bool bounded = false;

  // Half the interval's width over the median: 0.01 for ±1%.
  double RelativeHalfWidth() const;
};

double Median(std::vector<double> values);
MedianInterval MedianWith95Interval(std::vector<double> values);

}  // namespace bench
