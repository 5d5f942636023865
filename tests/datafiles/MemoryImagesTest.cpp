#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

#include "core/CommaText.h"
#include "datafiles/MemoryImages.h"

namespace qvs {
namespace {

using TImages = TKV6Pel1Pel3LoggerMemoryImages;

// Two images written byte by byte at the offsets of the logger's memory map.
struct TRawImages {
  std::array<std::uint8_t, 128> A{};
  std::array<std::uint8_t, 256> B{};

  TRawImages() {
    A[32] = 4;                                  // product kind
    A[33] = 3;                                  // stopped
    A[34] = 64;                                 // 64 pages
    Put16(A, 38, 30);                           // one-minute period
    A[126] = 1;                                 // temperature
    for (int i = 0; i < 3; ++i) Put16(A, 66 + 4 * i, 0x8000);  // no calibration points
    for (int i = 0; i < 2; ++i) Put16(A, 78 + 4 * i, 0x8000);
    std::memset(B.data() + 8, ' ', 200);
    std::memcpy(B.data() + 236, "TSN 00000042", 12);
    Put24(B, 222, 0x202020);
    Put24(B, 225, 0x202020);
    B[228] = ' ';
    Put16(B, 229, 0x2020);
    Put16(B, 231, 0x2020);
    B[234] = '0';
  }
  template <std::size_t N>
  static void Put16(std::array<std::uint8_t, N>& a, std::size_t at, std::uint32_t v) {
    a[at] = static_cast<std::uint8_t>(v);
    a[at + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  template <std::size_t N>
  static void Put24(std::array<std::uint8_t, N>& a, std::size_t at, std::uint32_t v) {
    Put16(a, at, v);
    a[at + 2] = static_cast<std::uint8_t>(v >> 16);
  }
  template <std::size_t N>
  static void PutNegated(std::array<std::uint8_t, N>& a, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) a[at + i] = static_cast<std::uint8_t>(0u - ((v >> (8 * i)) & 0xFF));
  }
};

struct TDecoded {
  TKV6LoggerDataSet DataSet;
  bool Dropped = false;
};

TDecoded Decode(const TRawImages& raw, std::uint8_t firmware, TDateTime readTime, TDateTime now,
                int temperatureSamples = 0, int humiditySamples = 0) {
  TImages images;
  images.SetFirmware(firmware, readTime);
  images.LoadImages(raw.A, raw.B);
  images.PrepareCorrection();
  std::vector<std::uint8_t> t(static_cast<std::size_t>(2 * temperatureSamples), 0),
      h(static_cast<std::size_t>(2 * humiditySamples), 0);
  for (std::size_t i = 0; i < t.size(); i += 2) t[i] = static_cast<std::uint8_t>(i / 2);
  images.ConvertTemperatureSamples(t);
  images.ConvertHumiditySamples(h);
  TDecoded d;
  images.Decode(d.DataSet, now);
  d.Dropped = images.LastSampleDropped();
  return d;
}

const TDateTime kRead = EncodeDateTime(2024, 3, 2, 9, 0, 0);
const TDateTime kNow = EncodeDateTime(2024, 6, 1, 12, 0, 0);

TEST(MemoryImages, FirmwareCodeGivesVersionClassAndBuildDate) {
  struct Case {
    std::uint8_t Code;
    std::array<std::uint16_t, 4> Version;
    TKV6LoggerClass Class;
    bool RecalSupported;
  };
  const Case cases[] = {
      {99, {0, 0, 0, 0}, lcUnknown, false},  {100, {1, 1, 0, 0}, lcUnknown, false},
      {150, {1, 1, 50, 0}, lcPel1Pel3, false}, {205, {2, 2, 5, 0}, lcPel1Pel3, false},
      {212, {3, 2, 12, 0}, lcPel1Pel3, false}, {213, {3, 2, 13, 0}, lcPel1Pel3, false},
      {214, {3, 2, 14, 0}, lcPel3a, true},     {229, {3, 2, 29, 0}, lcPel3a, true},
      {230, {3, 2, 30, 0}, lcDravel, true},    {255, {3, 2, 55, 0}, lcUnknown, true},
  };
  for (const auto& c : cases) {
    const auto d = Decode(TRawImages{}, c.Code, kRead, kNow).DataSet;
    EXPECT_EQ(d.FirmwareVersion.Numbers, c.Version) << int{c.Code};
    EXPECT_EQ(d.LoggerClass, c.Class) << int{c.Code};
    EXPECT_EQ(d.RecalExpirySupported, c.RecalSupported) << int{c.Code};
    EXPECT_EQ(d.StartOnDateTimeAvailable, c.Code > 199) << int{c.Code};
  }
  EXPECT_EQ(TImages::FirmwareVersionOf(214, 7).Numbers, (std::array<std::uint16_t, 4>{3, 2, 14, 7}));
  EXPECT_EQ(TImages::FirmwareVersionOf(213, 7).Numbers, (std::array<std::uint16_t, 4>{3, 2, 13, 0}));
  EXPECT_NEAR(TImages::BuildDateOf(214), EncodeDateTime(2009, 1, 14, 3, 14, 32), 1e-9);
  EXPECT_NEAR(TImages::BuildDateOf(211), EncodeDateTime(2001, 11, 11, 2, 47, 2), 1e-9);
  EXPECT_NEAR(TImages::BuildDateOf(150), EncodeDateTime(1996, 8, 19, 0, 53, 22), 1e-9);
  EXPECT_EQ(TImages::BuildDateOf(215), 0);
}

TEST(MemoryImages, NegatedCountersRestoreEachByte) {
  const std::uint8_t ones[4] = {255, 255, 255, 255};
  EXPECT_EQ(TImages::NegatedCounter(ones), 16843009u);
  const std::uint8_t zero[4] = {0, 0, 0, 0};
  EXPECT_EQ(TImages::NegatedCounter(zero), 0u);
  const std::uint8_t v[4] = {0x100 - 0x34, 0x100 - 0x12, 0, 0};
  EXPECT_EQ(TImages::NegatedCounter(v), 0x1234u);
}

TEST(MemoryImages, MinuteDatesAndTheirValidity) {
  TDateTime d = -1;
  const std::uint8_t blanks[3] = {32, 32, 32};
  EXPECT_FALSE(TImages::MinuteDate(blanks, false, d));
  const std::uint8_t zero[3] = {0, 0, 0};
  EXPECT_TRUE(TImages::MinuteDate(zero, false, d));
  EXPECT_EQ(d, EncodeDate(2010, 1, 1));
  EXPECT_FALSE(TImages::MinuteDate(zero, true, d));
  const std::uint8_t day[3] = {0xA0, 0x05, 0};  // 1440 minutes
  EXPECT_TRUE(TImages::MinuteDate(day, true, d));
  EXPECT_EQ(d, EncodeDate(2010, 1, 2));
  const std::uint8_t highest[3] = {0xFF, 0xFF, 0xFF};  // 24 bits never reach the limit of 26298000
  EXPECT_TRUE(TImages::MinuteDate(highest, true, d));
  EXPECT_EQ(d, 16777215 / 1440.0 + EncodeDate(2010, 1, 1));
}

TEST(MemoryImages, BlankManufactureDateFallsBackToActivation) {
  TRawImages raw;
  TRawImages::PutNegated(raw.A, 40, 43200);  // activated one day before the read
  const auto d = Decode(raw, 214, kRead, kNow).DataSet;
  EXPECT_NEAR(d.LDSDateOfActivation, kRead - 1.0, 1e-9);
  EXPECT_NEAR(d.ManufactureUTCDate, kRead - 1.0, 1e-9);
  TRawImages dated = raw;
  TRawImages::Put24(dated.B, 225, 1440 * 10);
  EXPECT_NEAR(Decode(dated, 214, kRead, kNow).DataSet.ManufactureUTCDate, EncodeDate(2010, 1, 11), 1e-9);
}

TEST(MemoryImages, CapacitiesOfA64PageLogger) {
  TRawImages raw;
  auto d = Decode(raw, 214, kRead, kNow).DataSet;
  EXPECT_EQ(d.MemorySize, 16384);
  EXPECT_EQ(d.LoggerCapacity, 16129);
  EXPECT_EQ(d.SampleCapacity, 16129);
  raw.A[126] = 3;
  d = Decode(raw, 214, kRead, kNow).DataSet;
  EXPECT_EQ(d.LoggingMode, lgTemperatureHumidity);
  EXPECT_EQ(d.LoggerCapacity, 16129);
  EXPECT_EQ(d.SampleCapacity, 8065);
}

// A trip of 101 stored samples whose counters span 99 periods.
TRawImages TripOf101Samples(std::uint8_t state) {
  TRawImages raw;
  raw.A[33] = state;
  TRawImages::Put16(raw.A, 35, 255 + 101);        // pointer count 101
  TRawImages::PutNegated(raw.A, 40, 10000);       // clock
  TRawImages::PutNegated(raw.A, 44, 1000);        // first sample
  TRawImages::PutNegated(raw.A, 96, 1000 + 99 * 30);  // last sample, 99 one-minute periods later
  return raw;
}

TEST(MemoryImages, LastSampleRuleDropsTheIncompleteLastSample) {
  const auto d = Decode(TripOf101Samples(2), 214, kRead, kNow, 101);
  EXPECT_TRUE(d.Dropped);
  EXPECT_EQ(d.DataSet.SamplesLogged, 100);
  EXPECT_EQ(d.DataSet.AllSamplesLogged, 100);
  EXPECT_EQ(d.DataSet.Channels[0].Samples.size(), 100u);
  const TDateTime last = kRead - 10000 / 43200.0 + (1000 + 99 * 30) / 43200.0;
  EXPECT_NEAR(d.DataSet.LDSDateOfLastSample, last, 1e-9);
  EXPECT_NEAR(d.DataSet.LDSDateOfFirstSample, last - 99 / 1440.0, 1e-9);
  EXPECT_NEAR(d.DataSet.LDSDateOfInitialSample, d.DataSet.LDSDateOfFirstSample, 1e-12);

  // Other firmware, or an empty series falling back on the pointer count.
  EXPECT_FALSE(Decode(TripOf101Samples(2), 213, kRead, kNow, 101).Dropped);
  EXPECT_EQ(Decode(TripOf101Samples(2), 213, kRead, kNow, 101).DataSet.SamplesLogged, 101);
  EXPECT_EQ(Decode(TripOf101Samples(3), 214, kRead, kNow, 0).DataSet.SamplesLogged, 100);
  EXPECT_EQ(Decode(TripOf101Samples(3), 213, kRead, kNow, 0).DataSet.SamplesLogged, 101);
  EXPECT_EQ(Decode(TripOf101Samples(0), 214, kRead, kNow, 0).DataSet.SamplesLogged, 0);
}

TEST(MemoryImages, OverwritingNeedsFullMemory) {
  TRawImages raw = TripOf101Samples(3);
  EXPECT_FALSE(Decode(raw, 214, kRead, kNow).DataSet.Overwriting);
  raw.A[94] = 1;  // full
  EXPECT_TRUE(Decode(raw, 214, kRead, kNow).DataSet.Overwriting);  // pointer not at the start
  TRawImages::Put16(raw.A, 35, 256);
  EXPECT_FALSE(Decode(raw, 214, kRead, kNow).DataSet.Overwriting);  // 100 time-counted samples only
  TRawImages::PutNegated(raw.A, 96, 1000 + 30 * 28300);              // 28301 > 7/4 of 16129
  const auto d = Decode(raw, 214, kRead, kNow).DataSet;
  EXPECT_TRUE(d.Overwriting);
  EXPECT_EQ(d.SamplesLogged, d.SampleCapacity);  // full memory, no series
  const TDateTime first = kRead - 10000 / 43200.0 + 1000 / 43200.0;
  EXPECT_NEAR(d.LDSDateOfInitialSample, first, 1e-9);
}

TEST(MemoryImages, IdentityFromTheSecondImage) {
  TRawImages raw;
  const std::uint32_t serial = (4u << 28) | (2u << 24) | 31337u;
  for (int i = 0; i < 4; ++i) raw.B[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(serial >> (8 * i));
  std::memcpy(raw.B.data() + 8, "Line one", 8);
  std::memcpy(raw.B.data() + 48, "Line, two", 9);
  std::memcpy(raw.B.data() + 208, " LAB 7\0xy", 8);
  raw.B[217] = 1;
  raw.B[234] = '7';
  raw.B[216] = ' ';
  std::memcpy(raw.B.data() + 236, "TSN  4711   ", 12);
  raw.B[248] = 1;
  raw.B[249] = 20;
  raw.B[252] = 9;
  raw.A[126] = 3;
  const auto d = Decode(raw, 214, kRead, kNow).DataSet;
  EXPECT_EQ(d.SerialNumber, serial);
  EXPECT_EQ(d.FormattedSerialNumber, SerialNumberText(serial));
  EXPECT_EQ(d.UserData, ToCommaText({"Line one", "Line, two", "", "", ""}));
  EXPECT_EQ(d.OwnerName, "LAB 7");
  EXPECT_TRUE(d.Locked);
  EXPECT_EQ(d.RefurbishCount, 7);
  EXPECT_EQ(d.FactoryResetNeeded, 2);
  EXPECT_EQ(d.TSN, 4711);
  EXPECT_EQ(d.LoggerType, ltTemperatureHumidity);
  EXPECT_EQ(d.Channels[0].TemperatureSensor, 13);
  EXPECT_EQ(d.Channels[1].HumiditySensor, 4);
  EXPECT_EQ(d.Channels[0].LoggedParameter, lpTemperature);
  EXPECT_EQ(d.Channels[1].LoggedParameter, lpHumidity);
  EXPECT_EQ(d.Channels[1].SensorLocation, slInternal);
  EXPECT_EQ(d.Channels[2].TemperatureSensor, 13);
  EXPECT_EQ(d.Channels[2].HumiditySensor, 4);

  TRawImages other;
  std::memcpy(other.B.data() + 236, "TSN 12x45678", 12);
  other.B[234] = 'x';
  other.B[216] = 9;
  other.B[248] = 3;
  const auto e = Decode(other, 214, kRead, kNow).DataSet;
  EXPECT_EQ(e.TSN, 99999999);
  EXPECT_EQ(e.RefurbishCount, 9);
  EXPECT_EQ(e.FactoryResetNeeded, 3);
  EXPECT_EQ(e.LoggerType, ltUnknown);
  EXPECT_EQ(e.Channels[0].LoggedParameter, lpNone);
}

TEST(MemoryImages, StatesModesAndOptions) {
  struct Case {
    std::uint8_t State, ModeBits;
    TKV6LoggerMode Mode;
    TKV6LoggingMode Logging;
  };
  const Case cases[] = {{0, 0, lmReady, lgTemperature},   {1, 1, lmStartDelay, lgTemperature},
                        {2, 2, lmLogging, lgHumidity},   {3, 3, lmStopped, lgTemperatureHumidity},
                        {4, 0x86, lmUnknown, lgHumidity}};
  for (const auto& c : cases) {
    TRawImages raw;
    raw.A[33] = c.State;
    raw.A[126] = c.ModeBits;
    const auto d = Decode(raw, 214, kRead, kNow).DataSet;
    EXPECT_EQ(d.LoggerMode, c.Mode);
    EXPECT_EQ(d.LoggingMode, c.Logging);
    EXPECT_EQ(d.FactoryConfigOK, c.State <= 3);
  }
  TRawImages raw;
  raw.A[95] = 1 | 2 | 4 | 8 | 64 | 128;
  raw.A[94] = 2 | 4 | 8 | 64 | 128;
  raw.A[102] = 5;
  raw.A[32] = 9;
  auto d = Decode(raw, 214, kRead, kNow).DataSet;
  EXPECT_TRUE(d.LoopOverwrite && d.StartWithButton && d.StopWithButton && d.StartOnDateTimeEnable && d.MarkWithButton);
  EXPECT_FALSE(d.FactoryConfigOK);  // product kind 9 counts as 5
  for (int ch = 0; ch < 2; ++ch) {
    EXPECT_TRUE(d.Channels[ch].SREEnable);
    EXPECT_TRUE(d.Channels[ch].LowerLimitExceeded && d.Channels[ch].UpperLimitExceeded);
    EXPECT_EQ(d.Channels[ch].SafeRangeStatus, srEntered);
    EXPECT_EQ(d.Channels[ch].AlarmDelay, 5);
    EXPECT_EQ(d.Channels[ch].SREDelay, 5);
  }
  raw.A[94] = 2;
  d = Decode(raw, 214, kRead, kNow).DataSet;
  EXPECT_EQ(d.Channels[0].SafeRangeStatus, srNotYetEntered);
  EXPECT_FALSE(d.Channels[1].LowerLimitExceeded);
}

TEST(MemoryImages, StartDelayByState) {
  TRawImages ready;
  ready.A[33] = 0;
  TRawImages::Put16(ready.A, 35, 1800);  // one hour
  auto d = Decode(ready, 214, kRead, kNow).DataSet;
  EXPECT_NEAR(d.StartDelay, 1.0 / 24, 1e-12);
  EXPECT_TRUE(d.StartDelayAvailable);
  EXPECT_NEAR(d.StartDelayRemaining, 1.0 / 24, 1e-12);
  EXPECT_EQ(d.LDSDateStarted, 0);

  // Ready with a programmed start: the time left until then, never negative.
  ready.A[95] = 8;
  TRawImages::PutNegated(ready.A, 40, 43200);             // activated a day before the read
  TRawImages::PutNegated(ready.A, 62, 43200 + 21600);    // programmed start half a day after the read
  d = Decode(ready, 214, kRead, kRead - 0.25).DataSet;
  EXPECT_NEAR(d.StartOnUTCDateTime, kRead + 0.5, 1e-9);
  EXPECT_NEAR(d.StartDelayRemaining, 0.75, 1e-9);
  EXPECT_EQ(Decode(ready, 214, kRead, kRead + 1).DataSet.StartDelayRemaining, 0);

  TRawImages delay;
  delay.A[33] = 1;
  TRawImages::Put16(delay.A, 35, 900);    // 30 minutes left
  TRawImages::Put16(delay.B, 231, 1800);  // of an hour
  d = Decode(delay, 214, kRead, kNow).DataSet;
  EXPECT_NEAR(d.StartDelay, 1.0 / 24, 1e-12);
  EXPECT_NEAR(d.StartDelayRemaining, 1.0 / 48, 1e-12);
  EXPECT_NEAR(d.LDSDateStarted, kNow - 1.0 / 48, 1e-9);
  TRawImages::Put16(delay.A, 35, 65534);
  EXPECT_EQ(Decode(delay, 214, kRead, kNow).DataSet.StartDelayRemaining, 0);

  TRawImages stopped = TripOf101Samples(3);
  d = Decode(stopped, 214, kRead, kNow).DataSet;
  EXPECT_FALSE(d.StartDelayAvailable);
  EXPECT_NEAR(d.StartDelay, 1.0 / 1440, 1e-12);
  const TDateTime first = kRead - 10000 / 43200.0 + 1000 / 43200.0;
  EXPECT_NEAR(d.LDSDateStarted, first - 1.0 / 1440, 1e-9);
}

// Recalibration data: manufactured at `made`, a 365-day period, 30 days' grace.
TRawImages Recal(TDateTime made, std::uint16_t periodDays = 365, std::uint8_t grace = 30) {
  TRawImages raw;
  TRawImages::Put24(raw.B, 225, static_cast<std::uint32_t>(std::llround((made - EncodeDate(2010, 1, 1)) * 1440)));
  TRawImages::Put16(raw.B, 229, periodDays);
  raw.B[228] = grace;
  raw.A[37] = 2;  // used
  return raw;
}

TEST(MemoryImages, RecalibrationStatusAroundTheDisplayedExpiry) {
  const TDateTime made = EncodeDate(2023, 1, 1);
  const TDateTime expiry = made + 365 + 30;
  struct Case {
    TDateTime Now;
    TKV6RecalExpiryStatus Status;
  };
  const Case cases[] = {{expiry - 20, rsWarning}, {expiry - 22, rsInRecalPeriod}, {expiry - 21, rsWarning},
                        {expiry, rsExpired},      {expiry + 5, rsExpired}};
  for (const auto& c : cases) {
    const auto d = Decode(Recal(made), 214, kRead, c.Now).DataSet;
    EXPECT_NEAR(d.DisplayedRecalExpiryUTCDate, expiry, 1e-9);
    EXPECT_EQ(d.RecalExpiryStatus, c.Status) << c.Now - expiry;
  }
  EXPECT_EQ(Decode(Recal(made), 213, kRead, kNow).DataSet.RecalExpiryStatus, rsNotSupported);
  EXPECT_EQ(Decode(Recal(made, 0x2020), 214, kRead, kNow).DataSet.RecalExpiryStatus, rsUnassigned);
  EXPECT_EQ(Decode(Recal(made, 3653), 214, kRead, kNow).DataSet.RecalExpiryStatus, rsUnassigned);
  const auto off = Decode(Recal(made, 0), 214, kRead, kNow).DataSet;
  EXPECT_EQ(off.RecalExpiryStatus, rsDisabled);
  EXPECT_EQ(off.DisplayedRecalExpiryUTCDate, 0);

  // A programmed expiry wins over the computed one.
  TRawImages programmed = Recal(made);
  TRawImages::Put24(programmed.B, 222, static_cast<std::uint32_t>((EncodeDate(2030, 5, 5) - EncodeDate(2010, 1, 1)) * 1440));
  EXPECT_NEAR(Decode(programmed, 214, kRead, kNow).DataSet.DisplayedRecalExpiryUTCDate, EncodeDate(2030, 5, 5), 1e-9);

  // Without a grace byte the base is the activation date.
  TRawImages noGrace = Recal(made, 365, ' ');
  TRawImages::PutNegated(noGrace.A, 40, 43200 * 10);
  const auto g = Decode(noGrace, 214, kRead, kNow).DataSet;
  EXPECT_NEAR(g.DisplayedRecalExpiryUTCDate, kRead - 10 + 365 + 32, 1e-9);
}

TEST(MemoryImages, UnusedLoggerInItsGracePeriod) {
  const TDateTime made = EncodeDate(2024, 5, 20);
  TRawImages raw = Recal(made);
  raw.A[37] = 0;  // no trips
  raw.A[33] = 0;  // ready
  const auto d = Decode(raw, 214, kRead, kNow).DataSet;  // now is within 30 days of manufacture
  EXPECT_EQ(d.RecalExpiryStatus, rsInGracePeriod);
  EXPECT_NEAR(d.DisplayedRecalExpiryUTCDate, kNow + 365, 1e-9);
}

TEST(MemoryImages, ChannelLimitsAndCalibrationPoints) {
  TRawImages raw;
  raw.A[126] = 3;
  raw.B[248] = 1;
  raw.B[249] = 6;
  TRawImages::Put16(raw.A, 90, static_cast<std::uint16_t>(-1050));
  TRawImages::Put16(raw.A, 92, 4025);
  raw.A[122] = 21;   // 10.5 %RH
  raw.A[123] = 215;  // 107.5 %RH, limited to 105
  TRawImages::Put16(raw.A, 66, 2000);
  TRawImages::Put16(raw.A, 68, 30);
  TRawImages::Put16(raw.A, 78, 5000);
  TRawImages::Put16(raw.A, 80, 100);
  TRawImages::Put16(raw.A, 108, 2000 + 30 + 5000 + 100);
  const auto d = Decode(raw, 214, kRead, kNow).DataSet;
  EXPECT_EQ(d.Channels[0].LowerLimit, -10.5);
  EXPECT_EQ(d.Channels[0].UpperLimit, 40.25);
  EXPECT_EQ(d.Channels[0].DisplayUpperLimit, 40.25);
  EXPECT_NEAR(d.Channels[1].LowerLimit, 11.5, 1e-12);  // corrected by +1 %RH
  EXPECT_EQ(d.Channels[1].UpperLimit, 105);
  ASSERT_EQ(d.Channels[0].CalibrationPoints.size(), 1u);
  EXPECT_EQ(d.Channels[0].CalibrationPoints[0].Value, 20.0);
  EXPECT_EQ(d.Channels[0].CalibrationPoints[0].Correction, 0.30);
  ASSERT_EQ(d.Channels[1].CalibrationPoints.size(), 1u);
  EXPECT_EQ(d.Channels[0].MaxLoggedValue, 125);
  EXPECT_EQ(d.Channels[0].MinLoggedValue, -40);
  EXPECT_EQ(d.Channels[1].MaxLoggedValue, 100);
  EXPECT_EQ(d.Channels[0].Resolution, 0.01);
  EXPECT_EQ(d.Channels[3].Resolution, 0);
}

TEST(MemoryImages, SamplesAreHundredthsPlusTheCorrection) {
  TRawImages raw;
  TRawImages::Put16(raw.A, 66, 2000);
  TRawImages::Put16(raw.A, 68, static_cast<std::uint16_t>(-50));
  TRawImages::Put16(raw.A, 108, 1950);
  TImages images;
  images.SetFirmware(214, kRead);
  images.LoadImages(raw.A, raw.B);
  images.PrepareCorrection();
  const std::uint8_t t[] = {0xD0, 0x07, 0x18, 0xFC};  // 20.00, -10.00
  const std::uint8_t h[] = {0x28, 0x2A, 0x10, 0x27, 0x00, 0x80};  // 108.00, 100.00, -327.68
  images.ConvertTemperatureSamples(t);
  images.ConvertHumiditySamples(h);
  EXPECT_NEAR(images.TemperatureSeries()[0], 19.5, 1e-12);
  EXPECT_NEAR(images.TemperatureSeries()[1], -10.5, 1e-12);
  EXPECT_EQ(images.HumiditySeries(), (std::vector<double>{105, 100, -5}));
}

TEST(MemoryImages, ListingShowsBothImagesInHexadecimal) {
  std::array<std::uint8_t, 128> a{};
  std::array<std::uint8_t, 256> b{};
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<std::uint8_t>(i);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(255 - i);
  const std::string text = TImages::MemoryImageText(a, b);
  EXPECT_EQ(text.substr(0, 56), "0000  00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f \r\n");
  EXPECT_NE(text.find("\r\n0070  70 71 72 73 74 75 76 77 78 79 7a 7b 7c 7d 7e 7f \r\n\r\n0000  ff fe fd"),
            std::string::npos);
  EXPECT_NE(text.find("00f0  0f 0e 0d 0c 0b 0a 09 08 07 06 05 04 03 02 01 00 \r\n"), std::string::npos);
  EXPECT_EQ(text.size(), 24 * 56 + 2u);
}

}  // namespace
}  // namespace qvs
