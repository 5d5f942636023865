#pragma once
// The in-memory form of one downloaded logger data file, whatever its format: file facts, the
// logger's identity and configuration, up to eight channels with their samples, markers and graph
// comments. The readers fill it; the loading front copies it into TLoggerData and frees it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/DateTime.h"
#include "core/SampleRecord.h"

namespace qvs {

using TDynamicArrayOfDouble = std::vector<double>;

// A four-part version number written "a.b.c.d".
struct TKV6VersionNumber {
  std::array<std::uint16_t, 4> Numbers{};

  // "a.b.c.d"
  std::string ToString() const;
  // Reads the runs of digits separated by "."; a missing or unreadable number stays 0.
  static TKV6VersionNumber FromString(std::string_view text);
  bool operator==(const TKV6VersionNumber&) const = default;
};

enum TKV6LoggerType : std::uint8_t {
  ltTemperature = 0,
  ltTemperatureHumidity = 1,
  ltDualTemperature = 2,
  ltDualTemperatureHumidity = 3,
  ltLight = 4,
  ltVoltage = 5,
  ltCurrent = 6,
  ltSerialGeneric = 7,
  ltSimulated = 8,
  ltSystem = 9,
  ltUnknown = 10,
};

enum TKV6LoggerClass : std::uint8_t {
  lcNone = 0,
  lcPel1Pel3 = 1,
  lcPel3a = 2,
  lcDravel = 3,
  lcSorn4 = 4,
  lcUnknown = 5,
};

// State of the logger when it was read.
enum TKV6LoggerMode : std::uint8_t {
  lmUnknown = 0,
  lmReady = 1,
  lmStartDelay = 2,
  lmLogging = 3,
  lmStopped = 4,
  lmInvalid = 5,
};

// Which quantities are logged.
enum TKV6LoggingMode : std::uint8_t {
  lgUnknown = 0,
  lgTemperature = 1,
  lgHumidity = 2,
  lgTemperatureHumidity = 3,
  lgSecondTemperature = 4,
  lgTemperatureSecondTemperature = 5,
  lgInvalid = 6,
};

enum TKV6SafeRangeStatus : std::uint8_t {
  srUnknown = 0,
  srBelowSafeRange = 1,
  srAboveSafeRange = 2,
  srWithinSafeRange = 3,
  srNeitherLimitExceeded = 4,
  srLowExceededOnly = 5,
  srHighExceededOnly = 6,
  srLowExceededFirst = 7,
  srHighExceededFirst = 8,
  srNotYetEntered = 9,
  srEntered = 10,
};

enum TKV6SensorLocation : std::uint8_t {
  slNone = 0,
  slInternal = 1,
  slExternal = 2,
  slRemote = 3,
  slInvalid = 4,
};

enum TKV6LoggedParameter : std::uint8_t {
  lpNone = 0,
  lpTemperature = 1,
  lpHumidity = 2,
  lpUnknown = 3,
};

enum TKV6RecalExpiryStatus : std::uint8_t {
  rsUnknown = 0,
  rsNotSupported = 1,
  rsUnassigned = 2,
  rsDisabled = 3,
  rsExpired = 4,
  rsWarning = 5,
  rsInRecalPeriod = 6,
  rsInGracePeriod = 7,
};

enum TKV6EncodingFormat : std::uint8_t { efUnknown = 0, efLegacy = 1, efXML = 2, efJSON = 3, efJSONFormatted = 4 };
enum TKV6HashFormat : std::uint8_t { hfUnknown = 0, hfNone = 1, hfTest = 2, hfSHA256 = 3 };
enum TKV6CompressionFormat : std::uint8_t { cfUnknown = 0, cfNone = 1, cfTest = 2, cfZIP = 3 };
enum TKV6EncryptionFormat : std::uint8_t { nfUnknown = 0, nfNone = 1, nfTest = 2, nfAES256 = 3 };
// Kinds of key used with the digest and the encryption.
enum TKV6KeyKind : std::uint8_t { kkUnknown = 0, kkNone = 1, kkDefault = 2, kkUser = 3 };

// Integrity verdict of a load.
enum TKV6DigestStatus : std::uint8_t {
  dsUnknown = 0,
  dsErrorCalculatingDigest = 1,
  dsCRCFailed = 2,
  dsCRCPassed = 3,
  dsNoDigestFound = 4,
  dsDigestFormatNotSupported = 5,
  dsLocalPassphraseNotSpecified = 6,
  dsFileDigestDoesNotMatch = 7,
  dsFileDigestDoesNotMatchUserPassphrase = 8,
  dsDigestOK = 9,
  dsDigestNotCalculated = 10,
};

// What a stored time-zone offset means.
enum TKV6TimeZoneOffsetKind : std::uint8_t {
  tzUnknown = 0,        // the default -1 day
  tzLocalUnknownZone = 1,  // -23 hours: local times of an unknown zone
  tzInvalid = 2,
  tzUniversalPCZone = 3,   // -22 hours: universal times, the zone is the PC's own
  tzRealOffset = 4,
};

// Offsets in days that carry a meaning instead of a real offset.
inline constexpr double kOffsetUnknown = -1.0;
inline constexpr double kOffsetLocalUnknownZone = -23.0 / 24.0;
inline constexpr double kOffsetUniversalPCZone = -22.0 / 24.0;

// Result codes of the readers (one byte).
enum TKV6ResultCode : std::uint8_t {
  rcOK = 0,
  rcUnknownError = 21,
  rcException = 41,
  rcErrorReadingFile = 60,
  rcFileFormatError = 61,
  rcFileIsEmpty = 62,
  rcErrorLoadingDataFile = 160,
};

// Display texts; a value outside an enumeration gives the text of its default value.
std::string LoggerTypeText(TKV6LoggerType v);
std::string LoggerTypeShortText(TKV6LoggerType v);
std::string LoggerClassText(TKV6LoggerClass v);
std::string LoggerModeText(TKV6LoggerMode v);
std::string LoggingModeText(TKV6LoggingMode v);
std::string LoggingModeShortText(TKV6LoggingMode v);
std::string SafeRangeStatusText(TKV6SafeRangeStatus v);
std::string SensorLocationText(TKV6SensorLocation v);
std::string SensorLocationShortText(TKV6SensorLocation v);
std::string LoggedParameterText(TKV6LoggedParameter v);
std::string LoggedParameterShortText(TKV6LoggedParameter v);
std::string RecalExpiryStatusText(TKV6RecalExpiryStatus v);
std::string EncodingFormatText(TKV6EncodingFormat v);
std::string HashFormatText(TKV6HashFormat v);
std::string CompressionFormatText(TKV6CompressionFormat v);
std::string EncryptionFormatText(TKV6EncryptionFormat v);
std::string KeyKindText(TKV6KeyKind v);
// Name of a digest status and the explanation shown for it.
std::string DigestStatusText(TKV6DigestStatus v);
std::string DigestStatusExplanation(TKV6DigestStatus v);
// Fixed text of a result code; "Unknown result code (n)" for a code the readers never produce.
std::string ResultCodeText(std::uint8_t code);

// Kind of a stored offset (days).
TKV6TimeZoneOffsetKind TimeZoneOffsetKind(double offsetDays);

// Serial-number text of a coded serial number: a one- or two-letter prefix naming the product kind
// and six or seven digits; at most 16 characters.
std::string SerialNumberText(std::uint32_t serialNumber);
// The letters the serial-number text uses: first letter by the top four bits, second letter (kinds
// 4 and 5 only) by bits 24..27; "?" for unassigned entries.
extern const std::array<const char*, 16> kSerialNumberKindLetters;
extern const std::array<const char*, 16> kSerialNumberSubKindLetters;
// "TSN " and the trip sequence number modulo 10^8 as eight digits.
std::string TripNumberText(std::int32_t tsn);

// Temperature sensor measuring range, by sensor code 0..12 (12: no sensor); codes above give 0.
struct TSensorRange {
  double Lower = 0, Upper = 0;
};
TSensorRange TemperatureSensorRange(int sensorCode);

struct TKV6CalibrationPoint {
  double Value = 0;       // the point, in the channel's unit
  double Correction = 0;  // the correction measured there
};
using TKV6CalibrationPoints = std::vector<TKV6CalibrationPoint>;

// A statistics block of the wider logger library; Clear resets it, no reader fills it.
struct TStatisticsRecord2 {
  TStatisticsRecord Statistics;
  bool Valid = false;
};

// One channel of a logger.
struct TKV6LoggerChannel {
  TKV6LoggedParameter LoggedParameter = lpNone;
  std::uint8_t TemperatureSensor = 0;  // 0..13, 13 when absent
  std::uint8_t HumiditySensor = 0;     // 0..4, 4 when absent
  TKV6SensorLocation SensorLocation = slNone;
  TKV6CalibrationPoints CalibrationPoints;
  double UpperLimit = 0, LowerLimit = 0;
  std::uint8_t AlarmDelay = 0, SREDelay = 0, SRELimit = 0;
  bool SREEnable = false, UpperLimitExceeded = false, LowerLimitExceeded = false;
  TKV6SafeRangeStatus SafeRangeStatus = srUnknown;
  double LoggedSamplesMean = 0, LoggedSamplesMinimum = 0, LoggedSamplesMaximum = 0;
  TDynamicArrayOfDouble Samples;  // engineering units (°C, %RH), in time order
  double DisplayUpperLimit = 0, DisplayLowerLimit = 0;
  std::array<TStatisticsRecord2, 3> StatisticsBlocks{};
  bool InternalError = false, MaximumSaturation = false, MinimumSaturation = false;
  double MaxLoggedValue = 0, MinLoggedValue = 0;
  double Resolution = 0;
};

// Markers set on one sample; consecutive marks on the same sample are one entry.
struct TKV6MarkerEntry {
  std::int32_t SampleNumber = 0;  // 1-based
  std::int32_t NumberOfMarkers = 0;
  bool operator==(const TKV6MarkerEntry&) const = default;
};

// One graph comment.
struct TKV6CommentEntry {
  std::int32_t XPosition = 0, YPosition = 0;
  bool Locked = false, DateTimeEnable = true, ValueEnable = true;
  TDateTime UTCDateTimeCreated = 0, UTCDateTimeEdited = 0, LDSDateTimePosition = 0;
  double ValuePosition = 0;
  std::string Author, Editor, Title, Text;
};

inline constexpr int kChannelCount = 8;

// One loaded logger data file.
class TKV6LoggerDataSet {
 public:
  // An empty data set: Clear, then the graph scales of a new view.
  TKV6LoggerDataSet();

  std::uint8_t SourceKind = 0;  // 0 cleared, 3 structured file, 4 legacy file
  std::string Digest;
  std::array<std::uint8_t, 32> DigestBytes{};
  std::array<std::uint8_t, 32> ComputedDigest{};
  TKV6DigestStatus DigestStatus = dsUnknown;
  TKV6EncodingFormat EncodingFormat = efUnknown;
  TKV6HashFormat HashFormat = hfUnknown;
  TKV6CompressionFormat CompressionFormat = cfUnknown;
  TKV6EncryptionFormat EncryptionFormat = nfUnknown;
  double GraphLDSDateTimeAtLeft = 0;
  double GraphPixelsPerDay = 0;
  double GraphLoggedValueAtTop = 0;
  double GraphPixelsPerLoggedValue = 0;
  std::int32_t StartSample = 0, EndSample = 0, CursorSample = 0;
  TKV6VersionNumber FirmwareVersion;
  std::uint16_t FirmwareBuildNumber = 0;
  TKV6VersionNumber SoftwareVersionCreated;
  TKV6VersionNumber SoftwareVersionSaved;
  std::int32_t OriginalFileFormatRevision = 0;
  std::int32_t FileFormatRevision = 0;
  std::string OriginalFileID;
  std::string UserName, Computer, Workgroup, Organization;
  std::string MetaData;
  std::string MemoryImageText;
  std::string FileName;
  std::string DataWebFileID;
  std::uint32_t StoredCRC = 0, ComputedCRC = 0;
  std::uint8_t StoredChecksum = 0, ComputedChecksum = 0;
  TDateTime UTCDateTimeFileCreated = 0;
  double TimezoneOffsetFileCreated = 0;
  std::string TimezoneNameFileCreated;
  TDateTime UTCDateTimeFileLastSaved = 0;
  double TimezoneOffsetFileLastSaved = 0;
  std::string TimezoneNameFileLastSaved;
  std::vector<TKV6CommentEntry> Comments;
  bool ShowGraphComments = false;
  std::uint32_t SerialNumber = 0;
  std::string FormattedSerialNumber;
  bool FactoryConfigOK = false;
  std::uint8_t FactoryResetNeeded = 0;  // 0..3
  bool LoggedSamplesRecoverable = false;
  std::uint8_t BatteryType = 0;  // 0..11
  double BatteryCapacityAH = 0;
  bool BatteryRemainingAvailable = false;
  double BatteryRemainingAH = 0, BatteryRemainingPercent = 0;
  TDateTime UTCDateOfBuild = 0;
  TDateTime LDSDateOfActivation = 0;
  std::string LoggerDescription;
  TKV6LoggerType LoggerType = ltTemperature;
  TKV6LoggerClass LoggerClass = lcNone;
  std::int32_t MemorySize = 0;
  std::int32_t LoggerCapacity = 0;
  std::int32_t SampleCapacity = 0;
  std::int32_t SamplesLogged = 0;
  std::int32_t AllSamplesLogged = 0;
  TKV6LoggerMode LoggerMode = lmUnknown;
  std::int32_t TotalSamples = 0, TotalTrips = 0;
  bool Full = false, Overwriting = false;
  double TimeZoneOffsetSamplesRead = 0;
  std::string TimeZoneNameSamplesRead;
  TDateTime LDSDateTimeSamplesRead = 0;
  double TimeZoneOffsetStarted = 0;
  std::uint8_t TimeZoneIDStarted = 0;
  TDateTime LDSDateStarted = 0, LDSDateOfInitialSample = 0, LDSDateOfFirstSample = 0, LDSDateOfLastSample = 0;
  std::int32_t TSN = 0;
  bool RecalExpiryEnable = false, RecalExpirySupported = false;
  double GracePeriod = 0, RecalExpiryPeriod = 0;
  TDateTime DisplayedRecalExpiryUTCDate = 0, ProgrammedRecalExpiryUTCDate = 0, ManufactureUTCDate = 0;
  TKV6RecalExpiryStatus RecalExpiryStatus = rsUnknown;
  std::int32_t RefurbishCount = 0;
  std::uint8_t CaseAppearance = 0;
  std::string OwnerName;  // at most 8 characters
  bool Locked = false;
  std::string UserData;
  TKV6LoggingMode LoggingMode = lgUnknown;
  std::int32_t Colour = 0;
  double SamplePeriod = 0, TimeTillNextSample = 0, StartDelay = 0, StartDelayRemaining = 0;
  bool StartDelayAvailable = false, LoopOverwrite = false, StartWithButton = false, StopWithButton = false;
  bool MarkWithButton = false, MarkWithEvent = false, EnableLED = false, ReuseWithButton = false;
  bool StartOnDateTimeAvailable = false, StartOnDateTimeEnable = false;
  TDateTime StartOnUTCDateTime = 0;
  bool UnitsFahrenheit = false;
  bool LowerLimitExternalAlarm = false, UpperLimitExternalAlarm = false, SREExternalAlarm = false;
  bool LowBatteryExternalAlarm = false;
  double MinimumTemperature = 0, MaximumTemperature = 0, Resolution = 0;
  // Channel 1 is Channels[0].
  std::array<TKV6LoggerChannel, kChannelCount> Channels{};
  std::vector<TKV6MarkerEntry> Markers;

  // Empties the samples, markers and comments and resets SourceKind and the statistics blocks; other
  // fields are left alone.
  void Clear();
  // Sample `index` (1-based) of channel 1..8, or 0 outside the channel or its samples.
  double GetSample(int channel, int index) const;
  void AddComment(const TKV6CommentEntry& entry);
  // A logger date-time in PC local time: plus the PC's offset from universal time at `nowUtc` when the
  // samples-read offset says the times are universal or carry a real offset; unchanged otherwise.
  TDateTime ToLocalTime(TDateTime t, TDateTime nowUtc) const;
  TDateTime ToLocalTime(TDateTime t) const { return ToLocalTime(t, NowUniversal()); }
};

}  // namespace qvs
