#include "datafiles/LoggerDataSet.h"

#include <cmath>

namespace qvs {
namespace {

template <std::size_t N>
std::string TextOf(const std::array<const char*, N>& texts, unsigned v, unsigned fallback) {
  return texts[v < N ? v : fallback];
}

constexpr std::array<const char*, 11> kLoggerType{
    "Temperature", "Temperature and Humidity", "Dual Temperature", "Dual Temperature and Humidity",
    "Light",       "Voltage",                  "Current",          "Serial Generic",
    "Simulated",   "System",                   "Unknown"};
constexpr std::array<const char*, 11> kLoggerTypeShort{"T",    "TH",   "TT",   "THT",  "L",  "V",
                                                       "I",    "Ser.", "Sim.", "Sys.", "???"};
constexpr std::array<const char*, 6> kLoggerClass{"none", "Pel1-Pel3", "Pel3a", "Dravel", "Sorn4", "unknown"};
constexpr std::array<const char*, 6> kLoggerMode{"unknown", "Ready", "Start delay", "Logging", "Stopped", "invalid"};
constexpr std::array<const char*, 7> kLoggingMode{"unknown",
                                                  "Temperature",
                                                  "Humidity",
                                                  "Temperature, Humidity",
                                                  "Temperature (2nd Ch.)",
                                                  "Temperature, Temperature (2nd Ch.)",
                                                  "invalid"};
constexpr std::array<const char*, 7> kLoggingModeShort{"Unk.", "T", "H", "TH", "T2", "TT2", "Inv."};
constexpr std::array<const char*, 11> kSafeRangeStatus{
    "Unknown",           "Below safe range",   "Above Safe range",   "Within safe range",
    "Neither limit exceeded", "Low exceeded only", "High exceeded only", "Low exceeded first",
    "High exceeded first", "Not yet entered",   "Entered"};
constexpr std::array<const char*, 5> kSensorLocation{"None", "Internal", "External", "Remote", "Invalid"};
constexpr std::array<const char*, 5> kSensorLocationShort{"None", "Int.", "Ext.", "Rem.", "Inv."};
constexpr std::array<const char*, 4> kLoggedParameter{"none", "Temperature", "Humidity", "??"};
constexpr std::array<const char*, 4> kLoggedParameterShort{"none", "T", "H", "??"};
constexpr std::array<const char*, 8> kRecalExpiryStatus{"Unknown",  "Not supported", "Unassigned",
                                                        "disabled", "Expired",       "Warning",
                                                        "OK (in recal. period)", "OK (in grace period)"};
constexpr std::array<const char*, 5> kEncodingFormat{"Unkn.", "Legacy", "XML", "JSON", "JSON (f)"};
constexpr std::array<const char*, 4> kHashFormat{"Unkn.", "None", "Test", "SHA256"};
constexpr std::array<const char*, 4> kCompressionFormat{"Unkn.", "None", "Test", "ZIP"};
constexpr std::array<const char*, 4> kEncryptionFormat{"Unkn.", "None", "Test", "AES256"};
constexpr std::array<const char*, 4> kKeyKind{"Unkn.", "None", "Default", "User"};

constexpr std::array<const char*, 11> kDigestStatus{"Unknown",
                                                    "Error calculating digest",
                                                    "CRC failed",
                                                    "CRC Passed",
                                                    "No digest found",
                                                    "Digest format not supported",
                                                    "Local passphrase not specified",
                                                    "File digest does not match",
                                                    "File digest does not match user passphrase",
                                                    "Digest OK",
                                                    "Digest not calculated"};
constexpr std::array<const char*, 11> kDigestStatusExplanation{
    "The digest status of this file in unknown.  The file is possibly damaged, or is not a Kestova data file.",
    "An internal error occurred when calculating the digest of the data file contents. The file is possibly "
    "damaged, or is not a Kestova data file.",
    "This file was saved from a legacy Kestova data file that used a 32-bit CRC for integrity checking.  The CRC "
    "was incorrect in the original file. The original file was possibly damaged, or was not a Kestova data file",
    "This file was saved from a legacy Kestova data file that used a 32-bit CRC for integrity checking.  The CRC "
    "was correct in the original file.",
    "The Kestova installation that produced this data file did not have the digest option enabled.  The "
    "integrity of the data cannot be verified.",
    "This file was saved from a later version of Kestova that uses a format for the digest that is not supported "
    "by this version.  The integrity of the data cannot be verified.  You should upgrade Kestova.",
    "This file contains a digest but the integrity of the data in the file cannot be verified because no local "
    "passphrase is specified.  Go to Options/File Saving to specify a passphrase that matches the one used to "
    "produce the file.",
    "This file contains a digest but the digest does not agree with the data in the file.  The file could be "
    "damaged, have parts missing, or the data may have been tampered with.  The integrity of the data cannot be "
    "verified. This message can also result if the file was saved with a key - in this case the same key needs to "
    "be entered in the Digest Options. Go to Options/File Saving to specify a passphrase that matches the one used "
    "when the file was saved.",
    "This file contains a digest but the digest does not match the digest calculated using the local passphrase. "
    "The integrity of the data cannot be verified.  Go to Options/File Saving to specify a passphrase that matches "
    "the one used to produce the file.",
    "This file contains a digest and the digest matches the digest calculated from the file data.  The integrity "
    "of the data can be verified to the certainty level of the digest used (HMAC256)",
    "This data in this dataset is from a logger and no digest has been calculated.  When the dataset is saved to "
    "a disk file the digest will be calculated."};

// Lower and upper measuring limit of each temperature sensor code, degrees Celsius.
constexpr std::array<TSensorRange, 13> kSensorRanges{{{-70, 125},
                                                       {-70, 125},
                                                       {-90, 250},
                                                       {-90, 250},
                                                       {-200, -120},
                                                       {-200, -80},
                                                       {-40, 125},
                                                       {-50, 300},
                                                       {-224, 40},
                                                       {-50, 300},
                                                       {-50, 300},
                                                       {-55, 155},
                                                       {0, 0}}};

std::string ZeroPadded(std::uint32_t value, int digits) {
  std::string s(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0 && value > 0; --i) {
    s[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return s;
}

}  // namespace

// The product kinds of the serial numbers. Kinds 4 and 5 are the families with sub-kinds.
const std::array<const char*, 16> kSerialNumberKindLetters{"?", "K", "P", "T", "H", "D", "S", "L",
                                                           "R", "?", "?", "?", "?", "?", "X", "?"};
const std::array<const char*, 16> kSerialNumberSubKindLetters{"A", "B", "C", "D", "E", "F", "G", "H",
                                                              "J", "K", "L", "M", "N", "P", "R", "?"};

std::string TKV6VersionNumber::ToString() const {
  return std::to_string(Numbers[0]) + "." + std::to_string(Numbers[1]) + "." + std::to_string(Numbers[2]) + "." +
         std::to_string(Numbers[3]);
}

TKV6VersionNumber TKV6VersionNumber::FromString(std::string_view text) {
  TKV6VersionNumber v;
  std::size_t pos = 0;
  for (std::size_t n = 0; n < 4; ++n) {
    std::uint32_t value = 0;
    bool tooLarge = false;
    std::size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      if (!tooLarge) {
        value = value * 10 + static_cast<std::uint32_t>(text[pos] - '0');
        if (value > 65535) tooLarge = true;
      }
      ++pos;
    }
    v.Numbers[n] = (pos == start || tooLarge) ? 0 : static_cast<std::uint16_t>(value);
    if (pos >= text.size() || text[pos] != '.') break;
    ++pos;
  }
  return v;
}

std::string LoggerTypeText(TKV6LoggerType v) { return TextOf(kLoggerType, v, ltUnknown); }
std::string LoggerTypeShortText(TKV6LoggerType v) { return TextOf(kLoggerTypeShort, v, ltUnknown); }
std::string LoggerClassText(TKV6LoggerClass v) { return TextOf(kLoggerClass, v, lcUnknown); }
std::string LoggerModeText(TKV6LoggerMode v) { return TextOf(kLoggerMode, v, lmUnknown); }
std::string LoggingModeText(TKV6LoggingMode v) { return TextOf(kLoggingMode, v, lgUnknown); }
std::string LoggingModeShortText(TKV6LoggingMode v) { return TextOf(kLoggingModeShort, v, lgUnknown); }
std::string SafeRangeStatusText(TKV6SafeRangeStatus v) { return TextOf(kSafeRangeStatus, v, srUnknown); }
std::string SensorLocationText(TKV6SensorLocation v) { return TextOf(kSensorLocation, v, slNone); }
std::string SensorLocationShortText(TKV6SensorLocation v) { return TextOf(kSensorLocationShort, v, slNone); }
std::string LoggedParameterText(TKV6LoggedParameter v) { return TextOf(kLoggedParameter, v, lpNone); }
std::string LoggedParameterShortText(TKV6LoggedParameter v) { return TextOf(kLoggedParameterShort, v, lpNone); }
std::string RecalExpiryStatusText(TKV6RecalExpiryStatus v) { return TextOf(kRecalExpiryStatus, v, rsUnknown); }
std::string EncodingFormatText(TKV6EncodingFormat v) { return TextOf(kEncodingFormat, v, efUnknown); }
std::string HashFormatText(TKV6HashFormat v) { return TextOf(kHashFormat, v, hfUnknown); }
std::string CompressionFormatText(TKV6CompressionFormat v) { return TextOf(kCompressionFormat, v, cfUnknown); }
std::string EncryptionFormatText(TKV6EncryptionFormat v) { return TextOf(kEncryptionFormat, v, nfUnknown); }
std::string KeyKindText(TKV6KeyKind v) { return TextOf(kKeyKind, v, kkUnknown); }
std::string DigestStatusText(TKV6DigestStatus v) { return TextOf(kDigestStatus, v, dsUnknown); }
std::string DigestStatusExplanation(TKV6DigestStatus v) { return TextOf(kDigestStatusExplanation, v, dsUnknown); }

std::string ResultCodeText(std::uint8_t code) {
  switch (code) {
    case rcOK: return "OK";
    case rcUnknownError: return "Unknown error";
    case rcException: return "Exception";
    case rcErrorReadingFile: return "Error reading file";
    case rcFileFormatError: return "File format error";
    case rcFileIsEmpty: return "File is empty";
    case rcErrorLoadingDataFile: return "Error loading data file";
    default: return "Unknown result code (" + std::to_string(code) + ")";
  }
}

TKV6TimeZoneOffsetKind TimeZoneOffsetKind(double x) {
  if (!(x >= -1.0000115740740740741 && x <= 0.58334490740740740743)) return tzInvalid;  // NaN too
  const double m = std::nearbyint(x * 1440.0);
  if (m == -1440) return tzUnknown;
  if (m == -1380) return tzLocalUnknownZone;
  if (m == -1320) return tzUniversalPCZone;
  if (m >= -720 && m <= 840) return tzRealOffset;
  return tzInvalid;
}

std::string SerialNumberText(std::uint32_t s) {
  const std::uint32_t k = s >> 28;
  if (k == 4 || k == 5) {
    const std::uint32_t low = s & 0xFFFFFFu;
    return std::string(kSerialNumberKindLetters[k]) + kSerialNumberSubKindLetters[(s >> 24) & 0xFu] +
           ZeroPadded(low > 999999u ? 999999u : low, 6);
  }
  const std::uint32_t low = s & 0xFFFFFFFu;
  return std::string(kSerialNumberKindLetters[k]) + ZeroPadded(low > 9999999u ? 9999999u : low, 7);
}

std::string TripNumberText(std::int32_t tsn) {
  const long long v = (static_cast<long long>(tsn) + 100000000LL) % 100000000LL;
  return "TSN " + ZeroPadded(static_cast<std::uint32_t>(v < 0 ? v + 100000000LL : v), 8);
}

TSensorRange TemperatureSensorRange(int code) {
  if (code < 0 || code > 12) return {};
  return kSensorRanges[static_cast<std::size_t>(code)];
}

TKV6LoggerDataSet::TKV6LoggerDataSet() {
  Clear();
  GraphPixelsPerDay = 1024;
  GraphPixelsPerLoggedValue = 76.8;
}

void TKV6LoggerDataSet::Clear() {
  for (auto& c : Channels) {
    c.Samples.clear();
    for (auto& block : c.StatisticsBlocks) block = TStatisticsRecord2{};
  }
  Markers.clear();
  Comments.clear();
  SourceKind = 0;
}

double TKV6LoggerDataSet::GetSample(int channel, int index) const {
  if (channel < 1 || channel > kChannelCount || index <= 0) return 0;
  const auto& samples = Channels[static_cast<std::size_t>(channel - 1)].Samples;
  if (static_cast<std::size_t>(index) > samples.size()) return 0;
  return samples[static_cast<std::size_t>(index - 1)];
}

void TKV6LoggerDataSet::AddComment(const TKV6CommentEntry& entry) { Comments.push_back(entry); }

TDateTime TKV6LoggerDataSet::ToLocalTime(TDateTime t, TDateTime nowUtc) const {
  const auto kind = TimeZoneOffsetKind(TimeZoneOffsetSamplesRead);
  if (kind == tzUniversalPCZone || kind == tzRealOffset) return t + LocalUTCOffsetDays(nowUtc);
  return t;
}

}  // namespace qvs
