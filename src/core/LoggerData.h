#pragma once
// What the validation keeps of one loaded logger data file. The loading front fills it from the
// reader's data set; the processing run, the file list and the reports read it.

#include <array>
#include <cstdint>
#include <string>

#include "core/DateTime.h"
#include "core/SampleRecord.h"

namespace qvs {

class TLoggerData {
 public:
  // Identification and status
  std::uint8_t StatusByte1 = 0;
  std::uint8_t StatusByte2 = 0;
  std::uint8_t LoggerType = 0;          // firmware version number 1
  std::uint8_t HardwareFamilyCode = 0;  // firmware number 2 mapped
  std::uint8_t LoggerSubType = 0;       // firmware version number 3
  std::uint8_t FirmwareSubNumber = 0;   // firmware version number 4
  std::uint32_t SerialNumber = 0;
  std::string FormattedSerialNumber;
  std::array<std::uint16_t, 4> Version{};  // firmware version, all four numbers
  double BatteryRemainingPercent = 0;
  std::uint8_t Channel1LowerLimitExceeded = 0, Channel1UpperLimitExceeded = 0;
  std::uint8_t Channel2LowerLimitExceeded = 0, Channel2UpperLimitExceeded = 0;
  std::uint8_t Overwriting = 0;
  std::uint16_t CombinedFirmwareNumber = 0;  // number 2 * 100 + number 3
  std::array<std::uint16_t, 4> SoftwareVersion{};
  std::int32_t FileFormatRevision = 0;
  std::string FileName;
  std::string DisplayFileName;
  std::string TripNumberText;  // 12 characters, blank padded
  std::string OwnerName;       // at most 8 characters
  std::uint8_t FactoryResetNeeded = 0;
  char RefurbishCount = '0';
  std::uint8_t CaseAppearance = 0;
  std::uint8_t BatteryType = 0;
  std::uint8_t RecalibrationFlagA = 0;   // logger mode: 0 ready, 1 start delay, 2 logging, 3 stopped, 4 other
  std::int32_t TotalSamples = 0;
  std::int32_t RecalibrationFlagB = 0;   // total trips
  bool CRCError = false;
  std::int32_t ErrorCode = 0;
  std::string ErrorText;
  std::string SecondErrorText;

  // Dates and times (local time unless named otherwise)
  TDateTime TimeFileLastSaved = 0;
  TDateTime FirmwareBuildDate = 0;
  TDateTime RecalibrationBaseDate = 0;  // manufacture date
  TDateTime ActivationDate = 0;
  TDateTime TimeSamplesRead = 0;
  TDateTime TimeLoggingStarted = 0;
  TDateTime FirstSampleTime = 0;
  TDateTime LastSampleTime = 0;
  TDateTime ProgrammedStartTime = 0;

  // Configuration
  std::int32_t SamplesLogged = 0;
  std::int32_t SampleCapacity = 0;
  double SamplePeriod = 0;  // days
  double StartDelay = 0;    // days
  std::uint16_t StartDelayTwoSecondUnits = 0;
  double TimeTillNextSample = 0;
  std::uint8_t StartOnDateTimeEnabled = 0;
  std::uint8_t LoggedParameter = 0;  // 0 temperature only, 1 humidity only, 2 both
  std::uint8_t Channel1AlarmDelay = 0, Channel1SREDelay = 0, Channel1SRELimit = 0;
  double Channel1UpperLimit = 0, Channel1LowerLimit = 0;
  std::uint8_t Channel2AlarmDelay = 0, Channel2SREDelay = 0, Channel2SRELimit = 0;
  double Channel2UpperLimit = 0, Channel2LowerLimit = 0;
  std::uint8_t Channel1SREEnabled = 0, LoopOverwrite = 0, StartWithButton = 0, StopWithButton = 0;
  std::uint8_t MarkWithButton = 0, ReuseWithButton = 0, MarkWithEvent = 0, UnitsFahrenheit = 0;
  std::string UserData;  // at most 159 characters
  double MinimumTemperature = 0;
  double Resolution = 0;
  double TemperatureSensorLowerRange = 0, TemperatureSensorUpperRange = 0;
  std::uint8_t RecalibrationGraceDays = 0;
  std::uint16_t RecalibrationPeriodDays = 0;  // 0 disabled, 8224 or more unavailable

  TKestovaSampleSet SampleSet;

  // Recalibration status; "now" is the PC's current local date-time.
  bool RecalibrationSupported() const;
  bool RecalibrationEnabled() const { return RecalibrationPeriodDays != 0; }
  bool RecalibrationDataAvailable() const { return RecalibrationPeriodDays < 8224; }
  TDateTime RecalibrationExpiryDate(TDateTime now) const;
  bool RecalibrationExpired(TDateTime now) const { return RecalibrationExpiryDate(now) < LastSampleTime; }
  bool RecalibrationWarning(TDateTime now) const { return RecalibrationExpiryDate(now) - LastSampleTime < 21.0; }

  // Back to the state of a new object (samples emptied).
  void Clear() { *this = TLoggerData(); }
};

}  // namespace qvs
