#pragma once
// Evenly spaced single-precision sample series and their statistics.

#include <cstdint>
#include <string>
#include <vector>

#include "core/DateTime.h"

namespace qvs {

// A list of 32-bit IEEE samples; reading widens the single to double.
class TSampleList {
 public:
  int Count() const { return static_cast<int>(Values.size()); }
  double operator[](int i) const { return Values[static_cast<std::size_t>(i)]; }
  double Get(int i) const { return Values[static_cast<std::size_t>(i)]; }
  void Add(double v) { Values.push_back(static_cast<float>(v)); }
  void Clear() { Values.clear(); }
  void Reserve(int n) { Values.reserve(static_cast<std::size_t>(n < 0 ? 0 : n)); }
  bool Empty() const { return Values.empty(); }

  std::vector<float> Values;
};

// Marker entries packed as (number of markers << 16) | sample number, both 16-bit.
class TMarkerList {
 public:
  static std::uint32_t Pack(std::uint16_t markers, std::uint16_t sampleNumber) {
    return (static_cast<std::uint32_t>(markers) << 16) | sampleNumber;
  }
  static std::uint16_t MarkerCount(std::uint32_t entry) { return static_cast<std::uint16_t>(entry >> 16); }
  static std::uint16_t SampleNumber(std::uint32_t entry) { return static_cast<std::uint16_t>(entry & 0xFFFF); }

  int Count() const { return static_cast<int>(Entries.size()); }
  void Add(std::uint16_t markers, std::uint16_t sampleNumber) { Entries.push_back(Pack(markers, sampleNumber)); }
  void Clear() { Entries.clear(); }

  std::vector<std::uint32_t> Entries;
};

// Per-logger raw channels, owned by TLoggerData.
struct TKestovaSampleSet {
  TSampleList TemperatureSamples;
  TSampleList HumiditySamples;
  TMarkerList MarkerEntries;
};

// Statistics of a series over the last examined index range. Limits are inputs that a computation
// keeps; every other field is recomputed.
struct TStatisticsRecord {
  std::int32_t Count = 0;
  double Maximum = 0;
  double Minimum = 0;
  double Range = 0;
  std::int32_t MaximumIndex = 0;
  std::int32_t MinimumIndex = 0;
  double LowerLimit = 0;
  double UpperLimit = 0;
  std::int32_t CountBelow = 0;
  std::int32_t CountAbove = 0;
  double Total = 0;
  double Mean = 0;
  double Variance = 0;
  double StandardDeviation = 0;
  double Intercept = 0;
  double Slope = 0;
  double RSquared = 0;
  double WindowedMean = 0;
  std::string ErrorText;
};

// Samples at StartTime + i * SamplePeriod; a series never stores time stamps of its own.
class TSampleRecord : public TSampleList {
 public:
  TDateTime StartTime = 0;
  double SamplePeriod = 0;  // days; not greater than 0 means the series has no time index
  TStatisticsRecord Statistics;

  // StartTime + i * SamplePeriod, in extended precision.
  TDateTime TimeOfSample(std::int32_t i) const;
  TDateTime LastSampleTime() const { return TimeOfSample(Count() - 1); }
  // Nearest sample index of t, ties to even; 0 without a time index or outside the 32-bit range.
  // Not clamped to the series: callers clamp.
  std::int32_t IndexOfTime(TDateTime t) const {
    if (!(SamplePeriod > 0)) return 0;
    const double q = (t - StartTime) / SamplePeriod;
    if (!(q > -2147483648.5 && q < 2147483647.5)) return 0;  // outside the 32-bit range, or not a number
    // Adding and taking away 1.5 * 2^52 rounds to the nearest integer, ties to even, in the
    // default rounding mode, without a library call on the hot path of the cross-logger build.
    constexpr double kRound = 6755399441055744.0;
    return static_cast<std::int32_t>((q + kRound) - kRound);
  }
};

}  // namespace qvs
