#include "core/SampleRecord.h"

namespace qvs {

TDateTime TSampleRecord::TimeOfSample(std::int32_t i) const {
  return static_cast<double>(static_cast<long double>(StartTime) +
                             static_cast<long double>(i) * static_cast<long double>(SamplePeriod));
}

}  // namespace qvs
