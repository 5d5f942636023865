#pragma once
// The product mappings of the older loggers that the memory images leave to this program: case
// appearance, logger descriptions and the battery estimate. Each is one table in ProductTables.cpp.

#include <cstdint>
#include <string>

#include "datafiles/LoggerDataSet.h"

namespace qvs {

// What a case appearance code of the second memory image means.
struct TCaseAppearance {
  std::uint8_t Code = 0;               // the code in the image
  std::uint8_t Stored = 0;             // the value kept as CaseAppearance
  TKV6SensorLocation Channel1Location = slInternal;
  bool Channel2Internal = false;       // the case carries an internal humidity sensor
  const char* Name = "";
};
// The mapping of a code; codes without an entry are kept as they are, with an internal sensor.
TCaseAppearance CaseAppearanceOf(std::uint8_t code);

// The logger description from the product kind (1..5), label variant, logger type code and sensor
// codes; "Unknown" when the product kind is not assigned.
std::string LoggerDescriptionOf(std::uint8_t productKind, std::uint8_t labelVariant, std::uint8_t loggerTypeCode,
                                std::uint8_t temperatureSensor, std::uint8_t humiditySensor);

// A battery estimate from the product kind, battery type, firmware code, the days since activation
// and the lifetime sample count.
struct TBatteryEstimate {
  std::uint8_t BatteryType = 0;  // 0..11
  double CapacityAH = 0;
  double RemainingAH = 0;
  double RemainingPercent = 0;
};
TBatteryEstimate EstimateBattery(std::uint8_t productKind, std::uint8_t batteryTypeCode, std::uint8_t firmwareCode,
                                 double daysSinceActivation, double totalSamples);

}  // namespace qvs
