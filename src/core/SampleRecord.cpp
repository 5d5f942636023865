#include "core/SampleRecord.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace qvs {

TDateTime TSampleRecord::TimeOfSample(std::int32_t i) const {
  return static_cast<double>(static_cast<long double>(StartTime) +
                             static_cast<long double>(i) * static_cast<long double>(SamplePeriod));
}

std::int32_t TSampleRecord::IndexOfTime(TDateTime t) const {
  if (!(SamplePeriod > 0)) return 0;
  const double q = (t - StartTime) / SamplePeriod;
  if (!std::isfinite(q)) return 0;
  // nearbyint rounds to nearest with ties to even in the default rounding mode.
  const double r = std::nearbyint(q);
  if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
      r > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return 0;
  return static_cast<std::int32_t>(r);
}

}  // namespace qvs
