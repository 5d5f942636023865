#pragma once
// The logger simulator: writes legacy logger data files (format versions 5 to 8) from a description
// of a logger (identity, configuration, the signal it measured, calibration points, markers, user
// fields, recalibration data, state). It lays out the bytes from its own description of the format and
// computes the real CRC, so tests, demos and benchmarks need no stored binary files.
//
// A description starts as a sound logger; change what matters and write it:
//   qvs::sim::TLoggerDescription d;                    // version 8, temperature, 1440 one-minute samples
//   d.SerialNumber = qvs::sim::MakeSerialNumber(1, 17);
//   d.Logging = qvs::sim::TLogging::TemperatureHumidity;
//   d.Temperature.DriftPerDay = 0.05;                  // a drifting sensor
//   d.Temperature.ColdSpots = {{6, 2, 1.5}};           // 1.5 degrees colder for two hours from hour 6
//   d.TemperaturePoints = {{20.0, 0.3}};               // a calibration offset the reader corrects
//   qvs::sim::WriteLegacyFile(d, "/tmp/logger17.kv");

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/DateTime.h"

namespace qvs::sim {

// What a simulated sensor reads over time: the sum of a constant, a linear drift, steps, cold spots, an
// optional term of your own, and Gaussian noise from a fixed seed.
struct TSignal {
  struct TStep {
    double AfterHours = 0;  // from the first sample
    double Change = 0;
  };
  // A dip that falls and recovers smoothly (raised cosine) over its duration.
  struct TColdSpot {
    double StartHours = 0, DurationHours = 1, Depth = 1;
  };

  double Base = 0;
  double DriftPerDay = 0;
  double NoiseStdDev = 0;
  std::uint64_t NoiseSeed = 1;
  std::vector<TStep> Steps;
  std::vector<TColdSpot> ColdSpots;
  std::function<double(double hours)> Extra;  // added when set

  static TSignal Constant(double value) {
    TSignal s;
    s.Base = value;
    return s;
  }

  // The value of sample `index` taken `hours` after the first sample; the noise depends only on the
  // seed and the index.
  double ValueAt(double hours, std::int64_t index) const;
};

enum class TLogging { Temperature, Humidity, TemperatureHumidity };
enum class TLoggerState { Ready = 0, StartDelay = 1, Logging = 2, Stopped = 3 };

// A calibration point in engineering units; stored as hundredths.
struct TCalibrationPoint {
  double Value = 0, Correction = 0;
};

struct TUserField {
  std::string Name, Text;
};

// Everything a simulated logger file says. The defaults describe a sound temperature logger that
// logged one day at one-minute intervals and was then stopped and read.
struct TLoggerDescription {
  int Version = 8;  // 5..8; versions 5 and 6 hold temperature only
  std::uint32_t SerialNumber = 0x10000000u | 4711u;
  std::uint8_t FirmwareCode = 214;
  std::uint16_t SoftwareVersion = 612;  // 6.12
  TLogging Logging = TLogging::Temperature;
  TLoggerState State = TLoggerState::Stopped;
  int SamplePeriodSeconds = 60;  // even: the logger counts 2-second ticks
  TDateTime FirstSampleTime = EncodeDateTime(2024, 3, 1, 8, 0, 0);  // logger time scale
  int SampleCount = 1440;                                           // per logged quantity
  TSignal Temperature = TSignal::Constant(20.0);
  TSignal Humidity = TSignal::Constant(50.0);
  int StartDelaySeconds = 0;
  int ReadAfterSeconds = 600;        // from the last sample to the download
  int ActivatedBeforeSeconds = 3600;  // from activation to the start of logging (start delay included)

  std::vector<TCalibrationPoint> TemperaturePoints;  // up to 3
  std::vector<TCalibrationPoint> HumidityPoints;     // up to 2
  std::optional<std::int16_t> CheckWord;             // unset: the sum that makes the points count

  std::vector<int> Markers;           // 1-based sample numbers, in the order they were set (up to 100)
  std::vector<TUserField> UserFields;  // up to 10; version 5 keeps only the first text

  // Recalibration data.
  std::optional<TDateTime> ManufactureDate;
  std::optional<TDateTime> ProgrammedRecalExpiry;
  std::optional<int> GraceDays;        // unset: not set (a blank)
  std::optional<int> RecalPeriodDays;  // unset: unassigned (two blanks)

  // Identity and configuration.
  std::uint8_t ProductKind = 4;
  std::uint8_t TemperatureSensor = 6;
  std::uint8_t HumiditySensor = 0;
  std::uint8_t BatteryType = 2;
  std::uint8_t LabelVariant = 0;
  std::uint8_t CaseAppearance = 0;
  std::uint8_t FactoryResetCode = 0;
  std::uint8_t RefurbishCount = 0;
  bool Locked = false;
  std::string OwnerName;
  std::vector<std::string> UserData;  // up to five lines of 40 characters
  std::int32_t TSN = 1;
  std::uint8_t TotalTrips = 1;
  std::optional<std::uint32_t> TotalSamples;  // unset: the samples of this trip
  double Channel1LowerLimit = -10, Channel1UpperLimit = 40;
  double Channel2LowerLimit = 10, Channel2UpperLimit = 90;  // %RH, stored in half percent
  std::uint8_t AlarmDelay = 0;
  bool LoopOverwrite = false, StartWithButton = true, StopWithButton = false, StartOnDateTime = false;
  bool MarkWithButton = true, SREEnable = false;
  bool MemoryFull = false;
  bool SafeRangeEntered = true;
  int MemoryPages = 0;  // 0: enough for the samples (at least 64)
  // The logger stored one sample beyond its last complete one (the last-sample rule drops it).
  bool TrailingPartialSample = false;

  // Deliberate faults for tests: the counts written instead of the true ones.
  std::optional<std::uint16_t> MarkerCountOverride, TemperatureCountOverride, HumidityCountOverride;
  std::optional<std::uint32_t> CRCOverride;
};

// Where the blocks of a simulated file lie, for tests that change bytes on purpose.
struct TSimulatedLayout {
  std::size_t FirstImage = 0, SecondImage = 0, FieldNames = 0, FieldTexts = 0, Markers = 0;
  std::size_t TemperatureCount = 0, TemperatureSamples = 0, HumidityCount = 0, HumiditySamples = 0;
};

// A simulated file and what went into it.
struct TSimulatedFile {
  std::vector<std::uint8_t> Bytes;
  TSimulatedLayout Layout;
  std::vector<std::int16_t> RawTemperature, RawHumidity;  // hundredths, as stored
  std::uint32_t CRC = 0;
  std::uint8_t Checksum = 0;
  TDateTime ReadTime = 0, ActivationTime = 0, LastSampleTime = 0;
};

// A description the simulator cannot write (a version out of range, humidity in a version 5 or 6 file,
// more samples than a file holds, ...).
class ESimulatorError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// A coded serial number: kind 0..15 in the top four bits; kinds 4 and 5 carry a sub-kind in bits
// 24..27 and a number up to 999999, the others a number up to 9999999.
std::uint32_t MakeSerialNumber(unsigned kind, unsigned number, unsigned subKind = 0);

TSimulatedFile BuildLegacyFile(const TLoggerDescription& d);
// Writes the file; throws ESimulatorError or std::runtime_error when it cannot.
TSimulatedFile WriteLegacyFile(const TLoggerDescription& d, const std::string& path);

// Recomputes the CRC and checksum of a legacy file's bytes (after a test changed them on purpose) and
// stores them in its header.
void ResignLegacyFile(std::vector<std::uint8_t>& bytes);

}  // namespace qvs::sim
