#include "core/LoggerData.h"

namespace qvs {

bool TLoggerData::RecalibrationSupported() const {
  return LoggerType == 4 || (LoggerType == 3 && LoggerSubType >= 14 && LoggerSubType <= 29);
}

TDateTime TLoggerData::RecalibrationExpiryDate(TDateTime now) const {
  // A logger that has been used runs its period from the base date; an unused one gets a grace
  // period during which the recalibration period does not run.
  if (RecalibrationFlagB != 0 || RecalibrationFlagA != 0) return RecalibrationBaseDate + RecalibrationPeriodDays;
  if (now - RecalibrationBaseDate < RecalibrationGraceDays) return now + RecalibrationPeriodDays;
  return RecalibrationBaseDate + RecalibrationGraceDays + RecalibrationPeriodDays;
}

}  // namespace qvs
