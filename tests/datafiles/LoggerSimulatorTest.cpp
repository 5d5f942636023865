#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "DataFilesTestSupport.h"

namespace qvs {
namespace {

using sim::TLoggerDescription;
using sim::TSignal;

TEST(SimulatorSignal, SumsDriftStepsColdSpotsAndExtra) {
  TSignal s = TSignal::Constant(20);
  s.DriftPerDay = 0.48;
  s.Steps = {{10, 1.5}};
  s.ColdSpots = {{20, 4, 3.0}};
  s.Extra = [](double h) { return h == 30 ? 0.25 : 0; };
  EXPECT_DOUBLE_EQ(s.ValueAt(0, 0), 20);
  EXPECT_DOUBLE_EQ(s.ValueAt(5, 1), 20.1);
  EXPECT_DOUBLE_EQ(s.ValueAt(10, 2), 20.2 + 1.5);
  EXPECT_DOUBLE_EQ(s.ValueAt(22, 3), 20 + 0.44 + 1.5 - 3.0);  // the bottom of the cold spot
  EXPECT_DOUBLE_EQ(s.ValueAt(24, 4), 20 + 0.48 + 1.5);        // recovered
  EXPECT_DOUBLE_EQ(s.ValueAt(30, 5), 20 + 0.6 + 1.5 + 0.25);
}

TEST(SimulatorSignal, NoiseIsReproducibleAndHasItsSpread) {
  TSignal a = TSignal::Constant(0), b = TSignal::Constant(0), c = TSignal::Constant(0);
  a.NoiseStdDev = b.NoiseStdDev = c.NoiseStdDev = 0.5;
  a.NoiseSeed = b.NoiseSeed = 7;
  c.NoiseSeed = 8;
  double sum = 0, squares = 0;
  int differ = 0;
  const int n = 20000;
  for (int i = 0; i < n; ++i) {
    const double v = a.ValueAt(i, i);
    EXPECT_EQ(v, b.ValueAt(i, i));
    if (v != c.ValueAt(i, i)) ++differ;
    sum += v;
    squares += v * v;
  }
  EXPECT_EQ(differ, n);
  EXPECT_NEAR(sum / n, 0, 0.02);
  EXPECT_NEAR(std::sqrt(squares / n), 0.5, 0.02);
}

TEST(Simulator, SerialNumbersAreCodedByKind) {
  EXPECT_EQ(sim::MakeSerialNumber(1, 123), (1u << 28) | 123u);
  EXPECT_EQ(sim::MakeSerialNumber(4, 456, 10), (4u << 28) | (10u << 24) | 456u);
  EXPECT_THROW(sim::MakeSerialNumber(16, 1), sim::ESimulatorError);
  EXPECT_THROW(sim::MakeSerialNumber(5, 1000000), sim::ESimulatorError);
  EXPECT_THROW(sim::MakeSerialNumber(2, 10000000), sim::ESimulatorError);
}

TEST(Simulator, RefusesWhatALegacyFileCannotHold) {
  const std::vector<std::function<void(TLoggerDescription&)>> faults = {
      [](TLoggerDescription& d) { d.Version = 4; },
      [](TLoggerDescription& d) { d.Version = 9; },
      [](TLoggerDescription& d) {
        d.Version = 6;
        d.Logging = sim::TLogging::TemperatureHumidity;
      },
      [](TLoggerDescription& d) { d.SampleCount = 32769; },
      [](TLoggerDescription& d) { d.SamplePeriodSeconds = 3; },
      [](TLoggerDescription& d) { d.Markers.assign(101, 1); },
      [](TLoggerDescription& d) { d.TemperaturePoints.assign(4, {}); },
      [](TLoggerDescription& d) { d.FirstSampleTime = EncodeDate(1979, 1, 1); },
      [](TLoggerDescription& d) { d.ManufactureDate = EncodeDate(2009, 1, 1); },
  };
  for (std::size_t i = 0; i < faults.size(); ++i) {
    TLoggerDescription d;
    faults[i](d);
    EXPECT_THROW(sim::BuildLegacyFile(d), sim::ESimulatorError) << i;
  }
}

TEST(Simulator, ResigningAChangedFileMakesItsCRCPassAgain) {
  test::TTempFolder folder;
  TLoggerDescription d;
  d.Version = 7;
  d.SampleCount = 10;
  auto file = sim::BuildLegacyFile(d);
  auto bytes = file.Bytes;
  bytes[file.Layout.TemperatureSamples] ^= 0x40;
  EXPECT_EQ(test::ReadBytes(folder, bytes).DataSet.DigestStatus, dsCRCFailed);
  sim::ResignLegacyFile(bytes);
  EXPECT_EQ(test::ReadBytes(folder, bytes).DataSet.DigestStatus, dsCRCPassed);
  EXPECT_EQ(bytes.size(), file.Bytes.size());
}

TEST(Simulator, StatesOtherThanLoggingHoldNoSamples) {
  test::TTempFolder folder;
  for (auto state : {sim::TLoggerState::Ready, sim::TLoggerState::StartDelay}) {
    TLoggerDescription d;
    d.State = state;
    d.StartDelaySeconds = 7200;
    const auto o = test::ReadSimulated(folder, d);
    ASSERT_EQ(o.Result, rcOK) << o.Message;
    EXPECT_EQ(o.DataSet.SamplesLogged, 0);
    EXPECT_TRUE(o.DataSet.Channels[0].Samples.empty());
    EXPECT_NEAR(o.DataSet.StartDelay, 2.0 / 24, 1e-12);
    EXPECT_EQ(o.DataSet.LoggerMode, state == sim::TLoggerState::Ready ? lmReady : lmStartDelay);
    if (state == sim::TLoggerState::StartDelay) {
      EXPECT_NEAR(o.DataSet.StartDelayRemaining, 2.0 / 24 - 600 / 86400.0, 1e-12);
    }
  }
}

TEST(Simulator, TrailingPartialSampleIsDroppedByFirmware214Only) {
  test::TTempFolder folder;
  TLoggerDescription d;
  d.SampleCount = 100;
  d.TrailingPartialSample = true;
  auto o = test::ReadSimulated(folder, d);
  ASSERT_EQ(o.Result, rcOK);
  EXPECT_EQ(o.DataSet.SamplesLogged, 100);
  EXPECT_EQ(o.DataSet.Channels[0].Samples.size(), 100u);
  d.FirmwareCode = 213;
  o = test::ReadSimulated(folder, d);
  EXPECT_EQ(o.DataSet.Channels[0].Samples.size(), 101u);
}

}  // namespace
}  // namespace qvs
