#include "datafiles/MemoryImages.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/CommaText.h"
#include "core/TextForms.h"
#include "datafiles/LoggerText.h"
#include "datafiles/ProductTables.h"

namespace qvs {
namespace {

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::int16_t I16(const std::uint8_t* p) { return static_cast<std::int16_t>(U16(p)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t ClampToInt32(double v) {
  if (!(v >= std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(v);
}

constexpr std::uint16_t kTwoBlanks = 0x2020;
constexpr std::uint8_t kBlank = 32;
constexpr TDateTime kMinuteDateEpoch = 40179;  // 2010-01-01
constexpr double kStartDelayRemainingLimit = 1.5169884259259259259;  // 65534 ticks

std::array<TRawCalibrationPoint, 3> TemperaturePoints(const std::uint8_t* img) {
  std::array<TRawCalibrationPoint, 3> p{};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::uint8_t* q = img + image1::TemperaturePoints + 4 * i;
    p[i] = {I16(q), I16(q + 2)};
  }
  return p;
}

std::array<TRawCalibrationPoint, 2> HumidityPoints(const std::uint8_t* img) {
  std::array<TRawCalibrationPoint, 2> p{};
  for (std::size_t i = 0; i < 2; ++i) {
    const std::uint8_t* q = img + image1::HumidityPoints + 4 * i;
    p[i] = {I16(q), I16(q + 2)};
  }
  return p;
}

std::string Bytes(const std::uint8_t* p, std::size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

// A trimmed decimal number, optionally signed; false when the text is not one or does not fit.
bool ParseDecimal(const std::string& text, std::int32_t& value) {
  if (text.empty()) return false;
  std::size_t i = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    i = 1;
  }
  if (i >= text.size()) return false;
  long long v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

}  // namespace

void TKV6Pel1Pel3LoggerMemoryImages::SetFirmware(std::uint8_t firmwareCode, TDateTime readTime,
                                                  std::uint8_t subNumber) {
  FirmwareCode = firmwareCode;
  ReadTime = readTime;
  SubNumber = subNumber;
}

void TKV6Pel1Pel3LoggerMemoryImages::LoadImages(std::span<const std::uint8_t, kFirstImageSize> first,
                                                 std::span<const std::uint8_t, kSecondImageSize> second) {
  std::copy(first.begin(), first.end(), First.begin());
  std::copy(second.begin(), second.end(), Second.begin());
}

void TKV6Pel1Pel3LoggerMemoryImages::PrepareCorrection() {
  const auto t = TemperaturePoints(First.data());
  const auto h = HumidityPoints(First.data());
  SensorCorrection.Prepare(t, h, I16(First.data() + image1::CheckWord));
}

std::int32_t TKV6Pel1Pel3LoggerMemoryImages::LoggerCapacity() const {
  return static_cast<std::int32_t>(First[image1::MemoryPages]) * 256 - 255;
}

void TKV6Pel1Pel3LoggerMemoryImages::ConvertTemperatureSamples(std::span<const std::uint8_t> raw) {
  Temperature.clear();
  AppendTemperatureSamples(raw);
}

void TKV6Pel1Pel3LoggerMemoryImages::ConvertHumiditySamples(std::span<const std::uint8_t> raw) {
  Humidity.clear();
  AppendHumiditySamples(raw);
}

void TKV6Pel1Pel3LoggerMemoryImages::ReserveSamples(std::size_t temperature, std::size_t humidity) {
  Temperature.reserve(temperature);
  Humidity.reserve(humidity);
}

void TKV6Pel1Pel3LoggerMemoryImages::AppendTemperatureSamples(std::span<const std::uint8_t> raw) {
  const std::size_t n = raw.size() / 2, at = Temperature.size();
  Temperature.resize(at + n);
  const std::uint8_t* p = raw.data();
  const TKV6SensorCorrection& c = SensorCorrection;
  for (std::size_t i = 0; i < n; ++i) Temperature[at + i] = c.CorrectTemperature(I16(p + 2 * i) / 100.0);
}

void TKV6Pel1Pel3LoggerMemoryImages::AppendHumiditySamples(std::span<const std::uint8_t> raw) {
  const std::size_t n = raw.size() / 2, at = Humidity.size();
  Humidity.resize(at + n);
  const std::uint8_t* p = raw.data();
  const TKV6SensorCorrection& c = SensorCorrection;
  for (std::size_t i = 0; i < n; ++i) Humidity[at + i] = c.CorrectHumidity(I16(p + 2 * i) / 100.0);
}

std::uint32_t TKV6Pel1Pel3LoggerMemoryImages::NegatedCounter(const std::uint8_t* p) {
  std::uint8_t r[4];
  for (int i = 0; i < 4; ++i) r[i] = static_cast<std::uint8_t>(256 - p[i]);
  return U32(r);
}

bool TKV6Pel1Pel3LoggerMemoryImages::MinuteDate(const std::uint8_t* p, bool mustBeNonZero, TDateTime& date) {
  const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                          (static_cast<std::uint32_t>(p[2]) << 16);
  date = 0;
  if (v >= 26298000u) return false;
  if (p[0] == kBlank && p[1] == kBlank && p[2] == kBlank) return false;
  if (mustBeNonZero && v == 0) return false;
  date = v / 1440.0 + kMinuteDateEpoch;
  return true;
}

TKV6VersionNumber TKV6Pel1Pel3LoggerMemoryImages::FirmwareVersionOf(std::uint8_t c, std::uint8_t sub) {
  TKV6VersionNumber v;
  if (c >= 100 && c <= 199) v.Numbers = {1, 1, static_cast<std::uint16_t>(c - 100), 0};
  else if (c >= 200 && c <= 209) v.Numbers = {2, 2, static_cast<std::uint16_t>(c - 200), 0};
  else if (c >= 210 && c <= 213) v.Numbers = {3, 2, static_cast<std::uint16_t>(c - 200), 0};
  else if (c >= 214) v.Numbers = {3, 2, static_cast<std::uint16_t>(c - 200), sub};
  return v;
}

TKV6LoggerClass TKV6Pel1Pel3LoggerMemoryImages::LoggerClassOf(std::uint8_t c) {
  if (c >= 112 && c <= 213) return lcPel1Pel3;
  if (c >= 214 && c <= 229) return lcPel3a;
  if (c == 230) return lcDravel;
  return lcUnknown;
}

TDateTime TKV6Pel1Pel3LoggerMemoryImages::BuildDateOf(std::uint8_t c) {
  // Each firmware family's build time, in the zone it was built in, and that zone's offset.
  struct TBuild {
    int Y, M, D, H, N, S, ZoneHours;
  };
  TBuild b{};
  if (c >= 100 && c <= 199) b = {1996, 8, 19, 12, 53, 22, 12};
  else if (c >= 200 && c <= 209) b = {1997, 6, 7, 13, 1, 44, 12};
  else if (c == 210) b = {2001, 9, 10, 14, 24, 56, 12};
  else if (c == 211) b = {2001, 11, 11, 15, 47, 2, 13};
  else if (c == 212) b = {2002, 4, 23, 11, 58, 38, 13};
  else if (c == 213) b = {2003, 9, 1, 15, 35, 46, 12};
  else if (c == 214) b = {2009, 1, 14, 16, 14, 32, 13};
  else return 0;
  return EncodeDateTime(b.Y, b.M, b.D, b.H, b.N, b.S) - b.ZoneHours / 24.0;
}

void TKV6Pel1Pel3LoggerMemoryImages::Decode(TKV6LoggerDataSet& ds, TDateTime now) {
  const std::uint8_t* a = First.data();
  const std::uint8_t* b = Second.data();
  const std::uint8_t c = FirmwareCode;

  // Identification.
  const std::uint8_t productKind = std::min<std::uint8_t>(a[image1::ProductKind], 5);
  const std::uint8_t state = a[image1::State];
  const bool loggingOrStopped = state == 2 || state == 3;
  ds.FirmwareVersion = FirmwareVersionOf(c, SubNumber);
  ds.LoggerClass = LoggerClassOf(c);
  ds.UTCDateOfBuild = BuildDateOf(c);
  const std::uint8_t typeCode = b[image2::LoggerType];
  ds.LoggerType = typeCode <= 2 ? static_cast<TKV6LoggerType>(typeCode) : ltUnknown;
  const std::uint8_t modeBits = a[image1::LoggingModeBits] & 3;
  ds.LoggingMode = modeBits == 2 ? lgHumidity : (modeBits == 3 ? lgTemperatureHumidity : lgTemperature);
  switch (state) {
    case 0: ds.LoggerMode = lmReady; break;
    case 1: ds.LoggerMode = lmStartDelay; break;
    case 2: ds.LoggerMode = lmLogging; break;
    case 3: ds.LoggerMode = lmStopped; break;
    default: ds.LoggerMode = lmUnknown; break;
  }
  ds.SerialNumber = U32(b + image2::SerialNumber);
  ds.FormattedSerialNumber = SerialNumberText(ds.SerialNumber);
  std::int32_t tsn = 0;
  ds.TSN = ParseDecimal(Trim(Bytes(b + image2::TripText + 4, 8)), tsn) ? tsn : 99999999;
  {
    std::size_t n = 0;
    while (n < 8 && b[image2::OwnerName + n] != 0) ++n;
    ds.OwnerName = LoggerTextToUTF8(Trim(Bytes(b + image2::OwnerName, n)));
  }
  {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < 5; ++i)
      lines.push_back(LoggerTextToUTF8(TrimRight(Bytes(b + image2::UserData + 40 * i, 40))));
    ds.UserData = ToCommaText(lines);
  }
  ds.Locked = b[image2::Locked] == 1;
  const std::uint8_t refurbish = b[image2::RefurbishCount];
  ds.RefurbishCount = refurbish >= '0' && refurbish <= '9' ? refurbish - '0' : 9;
  const TCaseAppearance caseAppearance = CaseAppearanceOf(b[image2::CaseAppearance]);
  ds.CaseAppearance = caseAppearance.Stored;
  const std::uint8_t reset = b[image2::FactoryReset];
  ds.FactoryResetNeeded = reset < 4 ? reset : (reset == kBlank ? 2 : 3);
  ds.FactoryConfigOK = state <= 3 && productKind >= 1 && productKind <= 4;
  ds.TotalTrips = a[image1::TotalTrips];
  ds.TotalSamples = static_cast<std::int32_t>(NegatedCounter(a + image1::TotalSamples));
  const std::uint8_t status = a[image1::StatusBits];
  const std::uint8_t options = a[image1::OptionBits];
  ds.Full = (status & 1) != 0;
  ds.LoopOverwrite = (options & 1) != 0;
  ds.StartWithButton = (options & 2) != 0;
  ds.StopWithButton = (options & 4) != 0;
  ds.StartOnDateTimeEnable = (options & 8) != 0;
  ds.MarkWithButton = (options & 64) != 0;
  ds.MarkWithEvent = ds.EnableLED = ds.ReuseWithButton = ds.UnitsFahrenheit = false;
  ds.LoggedSamplesRecoverable = false;
  ds.StartOnDateTimeAvailable = c > 199;
  ds.BatteryRemainingAvailable = true;
  ds.MinimumTemperature = ds.MaximumTemperature = 0;
  ds.Resolution = 0.01;
  const std::uint8_t temperatureSensor = b[image2::TemperatureSensor];
  const std::uint8_t humiditySensor = b[image2::HumiditySensor];
  ds.LoggerDescription =
      LoggerDescriptionOf(productKind, b[image2::LabelVariant], typeCode, temperatureSensor, humiditySensor);

  // Capacities and counts.
  const std::int32_t M = static_cast<std::int32_t>(a[image1::MemoryPages]) * 256;
  const std::int32_t P = U16(a + image1::StateWord);
  const bool th = ds.LoggingMode == lgTemperatureHumidity;
  ds.MemorySize = M;
  ds.LoggerCapacity = M - 255;
  ds.SampleCapacity = th ? (M - 256) / 2 + 1 : M - 255;
  const std::int32_t pointerCount = th ? (P - 256) / 2 + 1 : P - 255;
  const std::uint16_t periodTicks = U16(a + image1::SamplePeriod);
  const std::uint32_t clockTicks = NegatedCounter(a + image1::ClockSinceActivation);
  const std::uint32_t startTicks = NegatedCounter(a + image1::StartCounter);
  const std::uint32_t lastTicks = NegatedCounter(a + image1::LastSampleCounter);
  const std::uint32_t startOnTicks = NegatedCounter(a + image1::StartOnCounter);
  ds.SamplePeriod = TicksToDays(periodTicks);
  const TDateTime A = ReadTime - TicksToDays(clockTicks);
  const TDateTime F = A + TicksToDays(startTicks);
  const TDateTime L = A + TicksToDays(lastTicks);
  // Computed on the tick counts, which is the same as on the times but free of rounding noise.
  const std::int32_t timeCount =
      periodTicks == 0
          ? 0
          : ClampToInt32(std::nearbyint((static_cast<double>(lastTicks) - static_cast<double>(startTicks)) / periodTicks + 1.0));
  ds.AllSamplesLogged = loggingOrStopped ? timeCount : 0;
  if (!ds.Full) ds.Overwriting = false;
  else if (P != 256) ds.Overwriting = true;
  else ds.Overwriting = ds.AllSamplesLogged > 7.0 * ds.LoggerCapacity / 4.0;

  DropLastSample = c == 214 && loggingOrStopped && !ds.Overwriting && timeCount < pointerCount;
  if (DropLastSample) {
    if (!Temperature.empty()) Temperature.pop_back();
    if (!Humidity.empty()) Humidity.pop_back();
  }
  const std::int32_t seriesCount = static_cast<std::int32_t>(std::max(Temperature.size(), Humidity.size()));
  if (!loggingOrStopped) ds.SamplesLogged = 0;
  else if (seriesCount != 0) ds.SamplesLogged = seriesCount;
  else if (ds.Full) ds.SamplesLogged = ds.SampleCapacity;
  else ds.SamplesLogged = DropLastSample && pointerCount > 1 ? pointerCount - 1 : pointerCount;

  // Trip times, in the logger's time scale.
  ds.LDSDateOfActivation = A;
  const std::uint16_t stateWord = static_cast<std::uint16_t>(P);
  const std::uint16_t delayWord = U16(b + image2::StartDelay);
  if (state == 0) {
    ds.StartDelay = TicksToDays(stateWord);
    ds.StartDelayAvailable = true;
  } else if (delayWord != kTwoBlanks) {
    ds.StartDelay = TicksToDays(delayWord);
    ds.StartDelayAvailable = true;
  } else {
    ds.StartDelay = kOneMinute;
    ds.StartDelayAvailable = false;
  }
  ds.StartOnUTCDateTime = A + TicksToDays(startOnTicks);
  if (state == 1) {
    const double remaining = TicksToDays(stateWord);
    ds.StartDelayRemaining = remaining < kStartDelayRemainingLimit ? remaining : 0;
  } else if (state == 0) {
    if (ds.StartOnDateTimeEnable) {
      const double remaining = ds.StartOnUTCDateTime - now;
      ds.StartDelayRemaining = remaining > 0 ? remaining : 0;
    } else {
      ds.StartDelayRemaining = ds.StartDelay;
    }
  } else {
    ds.StartDelayRemaining = 0;
  }
  if (loggingOrStopped) {
    ds.LDSDateOfLastSample = L;
    ds.LDSDateOfFirstSample = L - (ds.SamplesLogged - 1.0) * ds.SamplePeriod;
    ds.LDSDateOfInitialSample = ds.Overwriting ? F : ds.LDSDateOfFirstSample;
    ds.LDSDateStarted = ds.StartOnDateTimeEnable ? ds.LDSDateOfInitialSample : F - ds.StartDelay;
  } else {
    ds.LDSDateOfLastSample = ds.LDSDateOfFirstSample = ds.LDSDateOfInitialSample = 0;
    ds.LDSDateStarted = state == 1 ? now - (ds.StartDelay - ds.StartDelayRemaining) : 0;
  }

  // Recalibration.
  const std::uint16_t periodWord = U16(b + image2::RecalPeriod);
  const std::uint8_t graceByte = b[image2::GracePeriod];
  ds.RecalExpirySupported = c > 213;
  ds.RecalExpiryPeriod = periodWord;
  ds.GracePeriod = graceByte;
  ds.RecalExpiryEnable = periodWord != 0 && periodWord != kTwoBlanks;
  const bool unassigned = periodWord == kTwoBlanks || periodWord > 3652;
  TDateTime programmed = 0, manufacture = 0;
  const bool programmedValid = MinuteDate(b + image2::ProgrammedRecalExpiry, true, programmed);
  const bool manufactureValid = MinuteDate(b + image2::ManufactureDate, false, manufacture);
  ds.ProgrammedRecalExpiryUTCDate = programmedValid ? programmed : 0;
  ds.ManufactureUTCDate = manufactureValid ? manufacture : A;
  const bool inGrace = ds.TotalTrips == 0 && state == 0 && ds.ManufactureUTCDate + ds.GracePeriod > now;
  const bool graceSet = graceByte != kBlank;
  const TDateTime baseExpiry = (manufactureValid && !unassigned && ds.RecalExpiryEnable && graceSet ? manufacture : A) +
                               ds.RecalExpiryPeriod + ds.GracePeriod;
  if (!ds.RecalExpiryEnable) ds.DisplayedRecalExpiryUTCDate = 0;
  else if (inGrace) ds.DisplayedRecalExpiryUTCDate = now + ds.RecalExpiryPeriod;
  else ds.DisplayedRecalExpiryUTCDate = programmedValid && programmed != 0 ? programmed : baseExpiry;
  if (!ds.RecalExpirySupported) ds.RecalExpiryStatus = rsNotSupported;
  else if (unassigned) ds.RecalExpiryStatus = rsUnassigned;
  else if (!ds.RecalExpiryEnable) ds.RecalExpiryStatus = rsDisabled;
  else if (inGrace) ds.RecalExpiryStatus = rsInGracePeriod;
  else if (now >= ds.DisplayedRecalExpiryUTCDate) ds.RecalExpiryStatus = rsExpired;
  else if (ds.DisplayedRecalExpiryUTCDate - now > 21) ds.RecalExpiryStatus = rsInRecalPeriod;
  else ds.RecalExpiryStatus = rsWarning;

  // Channels: 1 temperature, 2 humidity, the others empty.
  for (auto& ch : ds.Channels) {
    TKV6LoggerChannel empty;
    empty.TemperatureSensor = 13;
    empty.HumiditySensor = 4;
    empty.StatisticsBlocks = ch.StatisticsBlocks;
    ch = std::move(empty);
  }
  TKV6LoggerChannel& t = ds.Channels[0];
  TKV6LoggerChannel& h = ds.Channels[1];
  t.LoggedParameter = typeCode <= 1 ? lpTemperature : lpNone;
  h.LoggedParameter = typeCode == 1 ? lpHumidity : lpNone;
  t.TemperatureSensor = std::min<std::uint8_t>(temperatureSensor, 13);
  h.HumiditySensor = std::min<std::uint8_t>(humiditySensor, 4);
  t.SensorLocation = caseAppearance.Channel1Location;
  h.SensorLocation = typeCode == 1 || caseAppearance.Channel2Internal ? slInternal : slNone;
  t.CalibrationPoints = TKV6SensorCorrection::ValidPoints(TCorrectedQuantity::Temperature, TemperaturePoints(a));
  h.CalibrationPoints = TKV6SensorCorrection::ValidPoints(TCorrectedQuantity::Humidity, HumidityPoints(a));
  t.LowerLimit = I16(a + image1::Channel1LowerLimit) / 100.0;
  t.UpperLimit = I16(a + image1::Channel1UpperLimit) / 100.0;
  h.LowerLimit = SensorCorrection.CorrectHumidity(a[image1::Channel2LowerLimit] / 2.0);
  h.UpperLimit = SensorCorrection.CorrectHumidity(a[image1::Channel2UpperLimit] / 2.0);
  for (TKV6LoggerChannel* ch : {&t, &h}) {
    ch->DisplayLowerLimit = ch->LowerLimit;
    ch->DisplayUpperLimit = ch->UpperLimit;
    ch->AlarmDelay = ch->SREDelay = a[image1::AlarmDelay];
    ch->SRELimit = 0;
    ch->SREEnable = (options & 128) != 0;
    ch->SafeRangeStatus = (status & 8) != 0 ? srEntered : srNotYetEntered;
    ch->Resolution = 0.01;
  }
  t.LowerLimitExceeded = (status & 2) != 0;
  t.UpperLimitExceeded = (status & 4) != 0;
  h.LowerLimitExceeded = (status & 64) != 0;
  h.UpperLimitExceeded = (status & 128) != 0;
  const TSensorRange range = TemperatureSensorRange(temperatureSensor);
  t.MaxLoggedValue = range.Upper;
  t.MinLoggedValue = range.Lower;
  h.MaxLoggedValue = 100;
  h.MinLoggedValue = 0;
  t.Samples = std::move(Temperature);
  h.Samples = std::move(Humidity);
  Temperature.clear();
  Humidity.clear();

  // Battery estimate.
  const TBatteryEstimate battery =
      EstimateBattery(productKind, b[image2::BatteryType], c, TicksToDays(clockTicks), ds.TotalSamples);
  ds.BatteryType = battery.BatteryType;
  ds.BatteryCapacityAH = battery.CapacityAH;
  ds.BatteryRemainingAH = battery.RemainingAH;
  ds.BatteryRemainingPercent = battery.RemainingPercent;
}

std::string TKV6Pel1Pel3LoggerMemoryImages::MemoryImageText(std::span<const std::uint8_t, kFirstImageSize> first,
                                                            std::span<const std::uint8_t, kSecondImageSize> second) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve((8 + 16) * (6 + 48 + 2) + 2);
  auto lines = [&](std::span<const std::uint8_t> bytes) {
    for (std::size_t off = 0; off < bytes.size(); off += 16) {
      out += kHex[(off >> 12) & 15];
      out += kHex[(off >> 8) & 15];
      out += kHex[(off >> 4) & 15];
      out += kHex[off & 15];
      out += "  ";
      for (std::size_t i = 0; i < 16; ++i) {
        out += kHex[bytes[off + i] >> 4];
        out += kHex[bytes[off + i] & 15];
        out += ' ';
      }
      out += "\r\n";
    }
  };
  lines(first);
  out += "\r\n";
  lines(second);
  return out;
}

}  // namespace qvs
