#include "datafiles/LoadingFront.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>

#include "core/Format.h"
#include "core/TextForms.h"
#include "datafiles/LegacyReader.h"

namespace qvs {
namespace {

void ReadStructuredUnsupported(const std::string&, TKV6LoggerDataSet& ds, TKV6ResultCode& result,
                               std::string& message, TDateTime) {
  ds.Clear();
  result = rcErrorLoadingDataFile;
  message = "Structured data files (.kvx) cannot be read by this version of QVS";
}

void ReadLegacy(const std::string& fileName, TKV6LoggerDataSet& ds, TKV6ResultCode& result, std::string& message,
                TDateTime nowUtc) {
  LoadLegacyKVDataFileIntoLoggerDataSet(fileName, ds, result, message, nowUtc);
}

constexpr std::array<TDataFileFormat, 2> kFormats{{
    {"Structured data file", ".kvx", ReadStructuredUnsupported},
    {"Legacy data file", "", ReadLegacy},
}};

template <typename T>
T Checked(long long v, const char* what) {
  if (v < static_cast<long long>(std::numeric_limits<T>::min()) ||
      v > static_cast<long long>(std::numeric_limits<T>::max()))
    throw ERangeError(Format("Value out of range: %s (%d)", {what, v}));
  return static_cast<T>(v);
}

std::int32_t NotNegative(std::int32_t v, const char* what) {
  if (v < 0) throw ERangeError(Format("Value out of range: %s (%d)", {what, v}));
  return v;
}

// Rounded and limited to lo..hi; not a number gives lo.
long long RoundLimited(double v, double lo, double hi) {
  if (!(v >= lo)) v = lo;
  if (v > hi) v = hi;
  return std::llround(v);
}

// At most n characters, never cutting a UTF-8 sequence.
std::string Leading(const std::string& s, std::size_t n) {
  std::size_t bytes = 0, chars = 0;
  while (bytes < s.size() && chars < n) {
    const auto c = static_cast<unsigned char>(s[bytes]);
    std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (bytes + len > s.size()) len = s.size() - bytes;
    bytes += len;
    ++chars;
  }
  return s.substr(0, bytes);
}

std::uint8_t Flag(bool b) { return b ? 1 : 0; }

}  // namespace

TKV6EncodingFormat DetectDataFileEncoding(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return efUnknown;
  unsigned char head[200];
  std::size_t got = 0;
  while (got < sizeof head) {
    const ssize_t n = ::read(fd, head + got, sizeof head - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (got == 0) return efUnknown;
  if (head[0] == '<') return efXML;
  if (head[0] == '{') return efJSON;
  if (got >= 6 && std::memcmp(head, legacy::kFileSpecifier, 6) == 0) return efLegacy;
  return efUnknown;
}

bool IsLegacyDataFile(const std::string& fileName) { return DetectDataFileEncoding(fileName) == efLegacy; }

bool IsDataFile(const std::string& fileName) {
  const auto e = DetectDataFileEncoding(fileName);
  return e == efLegacy || e == efXML || e == efJSON || e == efJSONFormatted;
}

std::span<const TDataFileFormat> DataFileFormats() { return kFormats; }

const TDataFileFormat& DataFileFormatFor(const std::string& fileName) {
  const std::string ext = LowerCase(ExtractFileExt(fileName));
  for (const auto& f : kFormats)
    if (f.Extension[0] != '\0' && ext == f.Extension) return f;
  return kFormats.back();
}

TDateTime LocalAtDate(TDateTime utc) {
  if (!std::isfinite(utc)) return utc;
  TDateParts d;
  TTimeParts t;
  DecodeDateTime(utc, d, t);
  if (d.Year == 0) d = {2004, 1, 1};
  const int year = d.Year < 2004 ? 2004 : (d.Year > 2020 ? 2020 : d.Year);
  const int day = d.Day > DaysInMonth(year, d.Month) ? DaysInMonth(year, d.Month) : d.Day;
  // The same moment of the year in the zone's rules: localtime_r says whether daylight saving is in
  // effect then, and its tm_gmtoff is the daylight or the standard offset accordingly.
  const TDateTime probe = EncodeDateTime(year, d.Month, day, t.Hour, t.Minute, t.Second, t.Millisecond);
  const std::time_t secs = static_cast<std::time_t>(std::floor(DateTimeToUnix(probe)));
  std::tm local{};
  if (!localtime_r(&secs, &local)) return utc;
  return utc + static_cast<double>(local.tm_gmtoff) / 86400.0;
}

void CopyDataSetIntoLoggerData(const TKV6LoggerDataSet& ds, TLoggerData& data, TDateTime nowUtc) {
  const auto& fw = ds.FirmwareVersion.Numbers;
  const auto& ch1 = ds.Channels[0];
  const auto& ch2 = ds.Channels[1];
  const double pcOffset = LocalUTCOffsetDays(nowUtc);

  // Identification and status.
  data.StatusByte1 = 0;
  data.StatusByte2 = 1;
  data.LoggerType = Checked<std::uint8_t>(fw[0], "firmware version number 1");
  switch (fw[1]) {
    case 1:
    case 2: data.HardwareFamilyCode = 1; break;
    case 3: data.HardwareFamilyCode = 3; break;
    case 5: data.HardwareFamilyCode = 2; break;
    case 6: data.HardwareFamilyCode = 4; break;
    default: data.HardwareFamilyCode = 0; break;
  }
  data.LoggerSubType = Checked<std::uint8_t>(fw[2], "firmware version number 3");
  data.FirmwareSubNumber = Checked<std::uint8_t>(fw[3], "firmware version number 4");
  data.SerialNumber = ds.SerialNumber;
  data.FormattedSerialNumber = ds.FormattedSerialNumber;
  data.Version = fw;
  data.BatteryRemainingPercent = ds.BatteryRemainingPercent;
  data.Channel1LowerLimitExceeded = Flag(ch1.LowerLimitExceeded);
  data.Channel1UpperLimitExceeded = Flag(ch1.UpperLimitExceeded);
  data.Channel2LowerLimitExceeded = Flag(ch2.LowerLimitExceeded);
  data.Channel2UpperLimitExceeded = Flag(ch2.UpperLimitExceeded);
  data.Overwriting = Flag(ds.Overwriting);
  data.CombinedFirmwareNumber = Checked<std::uint16_t>(fw[1] * 100LL + fw[2], "combined firmware number");
  data.SoftwareVersion = ds.SoftwareVersionCreated.Numbers;
  data.FileFormatRevision = ds.OriginalFileFormatRevision;
  data.FileName = ExtractFileName(ds.FileName);
  data.DisplayFileName = data.FileName;
  data.TripNumberText = TripNumberText(ds.TSN);
  data.TripNumberText.resize(12, ' ');
  data.OwnerName = Leading(ds.OwnerName, 8);
  data.FactoryResetNeeded = ds.FactoryResetNeeded;
  data.RefurbishCount = static_cast<char>(Checked<std::uint8_t>('0' + static_cast<long long>(ds.RefurbishCount),
                                                                "refurbish count"));
  data.CaseAppearance = ds.CaseAppearance;
  data.BatteryType = ds.BatteryType;
  switch (ds.LoggerMode) {
    case lmReady: data.RecalibrationFlagA = 0; break;
    case lmStartDelay: data.RecalibrationFlagA = 1; break;
    case lmLogging: data.RecalibrationFlagA = 2; break;
    case lmStopped: data.RecalibrationFlagA = 3; break;
    default: data.RecalibrationFlagA = 4; break;
  }
  data.TotalSamples = NotNegative(ds.TotalSamples, "total samples");
  data.RecalibrationFlagB = NotNegative(ds.TotalTrips, "total trips");
  data.CRCError = ds.StoredCRC != ds.ComputedCRC;
  data.ErrorCode = 0;
  data.ErrorText.clear();
  data.SecondErrorText.clear();

  // Dates and times.
  data.TimeFileLastSaved = ds.UTCDateTimeFileLastSaved + pcOffset;
  data.FirmwareBuildDate = ds.UTCDateOfBuild + pcOffset;
  data.RecalibrationBaseDate = LocalAtDate(ds.ManufactureUTCDate);
  data.ActivationDate = ds.ToLocalTime(ds.LDSDateOfActivation, nowUtc);
  data.TimeSamplesRead = ds.ToLocalTime(ds.LDSDateTimeSamplesRead, nowUtc);
  data.TimeLoggingStarted = ds.ToLocalTime(ds.LDSDateStarted, nowUtc);
  data.FirstSampleTime = ds.ToLocalTime(ds.LDSDateOfFirstSample, nowUtc);
  data.LastSampleTime = ds.ToLocalTime(ds.LDSDateOfLastSample, nowUtc);
  data.ProgrammedStartTime = ds.StartOnUTCDateTime + pcOffset;

  // Configuration.
  data.SamplesLogged = Checked<std::int32_t>(
      ds.LoggingMode == lgTemperatureHumidity ? 2LL * ds.SamplesLogged : ds.SamplesLogged, "samples logged");
  data.SampleCapacity = ds.SampleCapacity;
  data.SamplePeriod = ds.SamplePeriod;
  data.StartDelay = ds.StartDelay;
  {
    // Limited to 65535 two-second units first, then counted in them.
    double delay = std::isfinite(ds.StartDelay) ? ds.StartDelay : 0.0;
    delay = delay < 0 ? 0 : (delay > 1.5170138888888888889 ? 1.5170138888888888889 : delay);
    data.StartDelayTwoSecondUnits = static_cast<std::uint16_t>(RoundLimited(delay * 43200.0, 0, 65535));
  }
  data.TimeTillNextSample = ds.TimeTillNextSample;
  data.StartOnDateTimeEnabled = Flag(ds.StartOnDateTimeEnable);
  data.LoggedParameter = ds.LoggingMode == lgHumidity ? 1 : (ds.LoggingMode == lgTemperatureHumidity ? 2 : 0);
  data.Channel1AlarmDelay = ch1.AlarmDelay;
  data.Channel1SREDelay = ch1.SREDelay;
  data.Channel1SRELimit = ch1.SRELimit;
  data.Channel1UpperLimit = ch1.UpperLimit;
  data.Channel1LowerLimit = ch1.LowerLimit;
  data.Channel2AlarmDelay = ch2.AlarmDelay;
  data.Channel2SREDelay = ch2.SREDelay;
  data.Channel2SRELimit = ch2.SRELimit;
  data.Channel2UpperLimit = ch2.UpperLimit;
  data.Channel2LowerLimit = ch2.LowerLimit;
  data.Channel1SREEnabled = Flag(ch1.SREEnable);
  data.LoopOverwrite = Flag(ds.LoopOverwrite);
  data.StartWithButton = Flag(ds.StartWithButton);
  data.StopWithButton = Flag(ds.StopWithButton);
  data.MarkWithButton = Flag(ds.MarkWithButton);
  data.ReuseWithButton = Flag(ds.ReuseWithButton);
  data.MarkWithEvent = Flag(ds.MarkWithEvent);
  data.UnitsFahrenheit = Flag(ds.UnitsFahrenheit);
  data.UserData = Leading(ds.UserData, 159);
  data.MinimumTemperature = ds.MinimumTemperature;
  data.Resolution = ds.Resolution;
  const TSensorRange range = TemperatureSensorRange(ch1.TemperatureSensor);
  data.TemperatureSensorLowerRange = range.Lower;
  data.TemperatureSensorUpperRange = range.Upper;
  data.RecalibrationGraceDays = static_cast<std::uint8_t>(RoundLimited(ds.GracePeriod, 0, 255));
  data.RecalibrationPeriodDays = static_cast<std::uint16_t>(RoundLimited(ds.RecalExpiryPeriod, 0, 65535));

  // Samples and markers.
  auto& set = data.SampleSet;
  set.TemperatureSamples.Clear();
  set.TemperatureSamples.Values.assign(ch1.Samples.begin(), ch1.Samples.end());
  set.HumiditySamples.Clear();
  set.HumiditySamples.Values.assign(ch2.Samples.begin(), ch2.Samples.end());
  set.MarkerEntries.Clear();
  for (const auto& m : ds.Markers)
    set.MarkerEntries.Add(Checked<std::uint16_t>(m.NumberOfMarkers, "number of markers"),
                          Checked<std::uint16_t>(m.SampleNumber, "marker sample number"));
}

bool LoadDataFileIntoLoggerData(const std::string& fileName, TLoggerData& data, TDateTime nowUtc) {
  TKV6ResultCode result = rcUnknownError;
  std::string message;
  try {
    TKV6LoggerDataSet ds;
    DataFileFormatFor(fileName).Read(fileName, ds, result, message, nowUtc);
    try {
      CopyDataSetIntoLoggerData(ds, data, nowUtc);
    } catch (const ERangeError& e) {
      data.Clear();
      data.ErrorCode = rcFileFormatError;
      data.ErrorText = e.what();
      data.SecondErrorText = ResultCodeText(rcFileFormatError);
      return false;
    }
  } catch (const std::exception& e) {
    data.Clear();
    data.ErrorCode = rcErrorReadingFile;
    data.ErrorText = std::string("Exception: ") + e.what();
    data.SecondErrorText = ResultCodeText(rcErrorReadingFile);
    return false;
  }
  // A file the reader refused fails the load with the reader's code and message.
  if (result != rcOK) {
    data.ErrorCode = result;
    data.ErrorText = message;
    data.SecondErrorText = ResultCodeText(result);
    return false;
  }
  if (data.CRCError) {
    data.ErrorText = "CRC error";
    return false;
  }
  return true;
}

bool LoadDataFileIntoLoggerData(const std::string& fileName, TLoggerData& data) {
  return LoadDataFileIntoLoggerData(fileName, data, NowUniversal());
}

std::string LoadErrorText(const TLoggerData& data) {
  if (data.ErrorCode == 0) return data.ErrorText;
  return Format("Error %d (%s - %s)", {data.ErrorCode, data.ErrorText, data.SecondErrorText});
}

}  // namespace qvs
