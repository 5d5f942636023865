#pragma once
// Decoding of the two raw memory images of the older loggers (128 and 256 bytes): identification,
// configuration, capacities and counts, trip times, recalibration and channels, and the conversion
// and correction of their stored samples.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "datafiles/LoggerDataSet.h"
#include "datafiles/SensorCorrection.h"

namespace qvs {

inline constexpr std::size_t kFirstImageSize = 128;
inline constexpr std::size_t kSecondImageSize = 256;

// Byte offsets inside the first memory image.
namespace image1 {
inline constexpr std::size_t ProductKind = 32, State = 33, MemoryPages = 34, StateWord = 35, TotalTrips = 37,
                             SamplePeriod = 38, ClockSinceActivation = 40, StartCounter = 44, TotalSamples = 48,
                             StartOnCounter = 62, TemperaturePoints = 66, HumidityPoints = 78,
                             Channel1LowerLimit = 90, Channel1UpperLimit = 92, StatusBits = 94, OptionBits = 95,
                             LastSampleCounter = 96, AlarmDelay = 102, CheckWord = 108, Channel2LowerLimit = 122,
                             Channel2UpperLimit = 123, LoggingModeBits = 126;
}
// Byte offsets inside the second memory image.
namespace image2 {
inline constexpr std::size_t SerialNumber = 0, NotDecoded = 4, UserData = 8, OwnerName = 208, FactoryReset = 216,
                             Locked = 217, ProgrammedRecalExpiry = 222, ManufactureDate = 225, GracePeriod = 228,
                             RecalPeriod = 229, StartDelay = 231, RefurbishCount = 234, CaseAppearance = 235,
                             TripText = 236, LoggerType = 248, TemperatureSensor = 249, BatteryType = 250,
                             LabelVariant = 251, HumiditySensor = 252;
}

// The decoder of one legacy file's images; created by the reader, freed at the end of the read.
class TKV6Pel1Pel3LoggerMemoryImages {
 public:
  // The header's firmware code and read time (logger time scale).
  void SetFirmware(std::uint8_t firmwareCode, TDateTime readTime, std::uint8_t subNumber = 0);
  void LoadImages(std::span<const std::uint8_t, kFirstImageSize> first,
                  std::span<const std::uint8_t, kSecondImageSize> second);
  // Builds the correction tables from the first image's calibration points and check word.
  void PrepareCorrection();

  // The logger capacity the images declare (memory size - 255), available once the images are loaded.
  std::int32_t LoggerCapacity() const;

  // Converts stored little-endian signed 16-bit hundredths into corrected engineering values: the
  // Convert forms replace the series, the Append forms add a piece of an even number of bytes.
  void ConvertTemperatureSamples(std::span<const std::uint8_t> raw);
  void ConvertHumiditySamples(std::span<const std::uint8_t> raw);
  void ReserveSamples(std::size_t temperature, std::size_t humidity);
  void AppendTemperatureSamples(std::span<const std::uint8_t> raw);
  void AppendHumiditySamples(std::span<const std::uint8_t> raw);
  void SetMarkers(std::vector<TKV6MarkerEntry> markers) { Markers = std::move(markers); }

  // Fills the logger, configuration, trip, recalibration and channel fields of the data set and moves
  // the converted series into channels 1 and 2. "Now" is the universal time of the read.
  void Decode(TKV6LoggerDataSet& ds, TDateTime nowUtc);

  const TKV6SensorCorrection& Correction() const { return SensorCorrection; }
  const std::vector<double>& TemperatureSeries() const { return Temperature; }
  const std::vector<double>& HumiditySeries() const { return Humidity; }
  const std::vector<TKV6MarkerEntry>& GroupedMarkers() const { return Markers; }
  bool LastSampleDropped() const { return DropLastSample; }
  std::span<const std::uint8_t, kFirstImageSize> FirstImage() const { return First; }
  std::span<const std::uint8_t, kSecondImageSize> SecondImage() const { return Second; }

  // The hexadecimal listing: eight lines of the first image, an empty line, sixteen of the second.
  static std::string MemoryImageText(std::span<const std::uint8_t, kFirstImageSize> first,
                                     std::span<const std::uint8_t, kSecondImageSize> second);

  // Value encodings of the images.
  static std::uint32_t NegatedCounter(const std::uint8_t* p);
  static double TicksToDays(double ticks) { return ticks * 2.0 / 86400.0; }
  // A minute date (24 bits, minutes since 2010-01-01); false when not valid.
  static bool MinuteDate(const std::uint8_t* p, bool mustBeNonZero, TDateTime& date);
  static TKV6VersionNumber FirmwareVersionOf(std::uint8_t code, std::uint8_t subNumber);
  static TKV6LoggerClass LoggerClassOf(std::uint8_t code);
  static TDateTime BuildDateOf(std::uint8_t code);

 private:
  std::uint8_t FirmwareCode = 0, SubNumber = 0;
  TDateTime ReadTime = 0;
  std::array<std::uint8_t, kFirstImageSize> First{};
  std::array<std::uint8_t, kSecondImageSize> Second{};
  TKV6SensorCorrection SensorCorrection;
  std::vector<double> Temperature, Humidity;
  std::vector<TKV6MarkerEntry> Markers;
  bool DropLastSample = false;
};

}  // namespace qvs
