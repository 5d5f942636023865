#include "datafiles/ProductTables.h"

#include <array>
#include <cmath>

namespace qvs {
namespace {

// Case appearance codes. Codes 2 and 3 are the humidity cases whose channel 2 sensor sits inside;
// a blank (unprogrammed) or erased byte reads as the standard case.
constexpr std::array<TCaseAppearance, 9> kCaseAppearances{{
    {0, 0, slInternal, false, "Standard case"},
    {1, 1, slExternal, false, "Standard case, external probe"},
    {2, 2, slInternal, true, "Humidity case"},
    {3, 3, slExternal, true, "Humidity case, external probe"},
    {4, 4, slInternal, false, "Waterproof case"},
    {5, 5, slExternal, false, "Waterproof case, external probe"},
    {6, 6, slExternal, false, "Cable probe"},
    {32, 0, slInternal, false, "Standard case"},
    {255, 0, slInternal, false, "Standard case"},
}};

// Product kinds 1..5 of the first memory image.
constexpr std::array<const char*, 6> kProductKindNames{"", "Pel1", "Pel2", "Pel3", "Pel3a", "Pel3a+"};
// Label variants: the text added after the product name.
constexpr std::array<const char*, 4> kLabelVariants{"", " (OEM)", " (laboratory)", " (cold chain)"};
// Logger type codes 0..2.
constexpr std::array<const char*, 3> kLoggerTypeNames{"temperature logger", "temperature and humidity logger",
                                                      "dual temperature logger"};
// Humidity sensor codes 0..3 (4: none).
constexpr std::array<const char*, 4> kHumiditySensorNames{"capacitive RH sensor", "capacitive RH sensor, heated",
                                                          "polymer RH sensor", "remote RH probe"};

// Battery types 0..11: nominal capacity in ampere-hours.
constexpr std::array<double, 12> kBatteryCapacityAH{0.0, 0.22, 0.56, 1.0, 1.2, 2.4, 0.56, 1.0, 1.2, 2.4, 3.6, 0.0};
// Product kinds 0..5: sleep current (microamperes) and charge per sample (microampere-hours).
struct TDrain {
  double SleepMicroAmps;
  double MicroAmpHoursPerSample;
};
constexpr std::array<TDrain, 6> kDrain{{{0, 0}, {4.0, 0.0020}, {3.5, 0.0018}, {3.0, 0.0015}, {2.5, 0.0012}, {2.5, 0.0012}}};

}  // namespace

TCaseAppearance CaseAppearanceOf(std::uint8_t code) {
  for (const auto& c : kCaseAppearances)
    if (c.Code == code) return c;
  return {code, code, slInternal, false, "Unknown case"};
}

std::string LoggerDescriptionOf(std::uint8_t productKind, std::uint8_t labelVariant, std::uint8_t loggerTypeCode,
                                std::uint8_t temperatureSensor, std::uint8_t humiditySensor) {
  if (productKind < 1 || productKind > 5) return "Unknown";
  std::string s = kProductKindNames[productKind];
  if (labelVariant < kLabelVariants.size()) s += kLabelVariants[labelVariant];
  s += " ";
  s += loggerTypeCode < kLoggerTypeNames.size() ? kLoggerTypeNames[loggerTypeCode] : "logger";
  const TSensorRange r = TemperatureSensorRange(temperatureSensor);
  if (temperatureSensor < 12)
    s += ", " + std::to_string(static_cast<int>(r.Lower)) + " to " + std::to_string(static_cast<int>(r.Upper)) +
         " \xC2\xB0" "C";
  if (loggerTypeCode == 1 && humiditySensor < kHumiditySensorNames.size())
    s += ", " + std::string(kHumiditySensorNames[humiditySensor]);
  return s;
}

TBatteryEstimate EstimateBattery(std::uint8_t productKind, std::uint8_t batteryTypeCode, std::uint8_t firmwareCode,
                                 double daysSinceActivation, double totalSamples) {
  TBatteryEstimate e;
  e.BatteryType = batteryTypeCode <= 11 ? batteryTypeCode : 0;
  e.CapacityAH = kBatteryCapacityAH[e.BatteryType];
  const TDrain d = kDrain[productKind <= 5 ? productKind : 5];
  // Firmware from code 210 on sleeps deeper.
  const double sleep = firmwareCode >= 210 ? d.SleepMicroAmps * 0.75 : d.SleepMicroAmps;
  const double days = std::isfinite(daysSinceActivation) && daysSinceActivation > 0 ? daysSinceActivation : 0;
  const double samples = std::isfinite(totalSamples) && totalSamples > 0 ? totalSamples : 0;
  const double usedAH = (sleep * days * 24.0 + d.MicroAmpHoursPerSample * samples) * 1e-6;
  e.RemainingAH = e.CapacityAH > usedAH ? e.CapacityAH - usedAH : 0;
  e.RemainingPercent = e.CapacityAH > 0 ? 100.0 * e.RemainingAH / e.CapacityAH : 0;
  return e;
}

}  // namespace qvs
