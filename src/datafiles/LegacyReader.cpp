#include "datafiles/LegacyReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <vector>

#include "core/CommaText.h"
#include "core/Format.h"
#include "core/TextForms.h"
#include "datafiles/LoggerText.h"
#include "datafiles/MemoryImages.h"

namespace qvs {
namespace {

// CRC-32 with the reflected polynomial 0xEDB88320, one byte at a time through a table.
struct TCRCTable {
  std::array<std::uint32_t, 256> T{};
  constexpr TCRCTable() {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t r = i;
      for (int k = 0; k < 8; ++k) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
      T[i] = r;
    }
  }
};
constexpr TCRCTable kCRC;

std::uint32_t CRCUpdate(std::uint32_t reg, std::span<const std::uint8_t> bytes) {
  for (std::uint8_t b : bytes) reg = (reg >> 8) ^ kCRC.T[(reg ^ b) & 255];
  return reg;
}

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// A short read ends the reading with "Unexpected EOF".
struct EUnexpectedEOF {};
// A value the content checks refuse.
struct EFormatError {
  std::string Message;
};

class TCursor {
 public:
  explicit TCursor(std::span<const std::uint8_t> bytes) : Bytes(bytes) {}
  std::span<const std::uint8_t> Read(std::size_t n) {
    if (Bytes.size() - Pos < n) throw EUnexpectedEOF{};
    auto s = Bytes.subspan(Pos, n);
    Pos += n;
    return s;
  }
  std::size_t Remaining() const { return Bytes.size() - Pos; }
  std::size_t Position() const { return Pos; }

 private:
  std::span<const std::uint8_t> Bytes;
  std::size_t Pos = 0;
};

// A field text of the user fields: the length byte (limited to the room there is) and the characters.
std::string FieldText(std::span<const std::uint8_t> slot) {
  const std::size_t room = slot.size() - 1;
  const std::size_t n = slot[0] < room ? slot[0] : room;
  return LoggerTextToUTF8(std::string(reinterpret_cast<const char*>(slot.data() + 1), n));
}

bool IsBlank(const std::string& s) { return Trim(s).empty(); }

std::uint16_t FirmwareBuildNumberOf(TDateTime d) {
  constexpr TDateTime kEpoch = 40179;  // 2010-01-01
  if (d < kEpoch) return 0;
  if (d > 56562.75) return 65535;  // 2054-11-09 18:00
  return static_cast<std::uint16_t>(std::nearbyint((d - kEpoch) * 4.0));
}

// The comment built from the user fields; false when no field gives a line.
bool CommentFromFields(const std::array<std::string, legacy::kFieldCount>& names,
                       const std::array<std::string, legacy::kFieldCount>& texts, std::vector<std::string>& lines) {
  for (std::size_t k = 0; k < legacy::kFieldCount; ++k) {
    const std::string n = Trim(names[k]);
    const std::string t = Trim(texts[k]);
    const bool nameBlank = IsBlank(n), textBlank = IsBlank(t);
    if (nameBlank && !textBlank) lines.push_back(t);
    else if (!nameBlank && textBlank) {
      if (n.rfind("Field", 0) != 0) lines.push_back(n + ": ");
    } else if (!nameBlank && !textBlank) {
      lines.push_back(n + ": " + t);
    }
  }
  return !lines.empty();
}

void ReadLegacy(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const std::string& fullPath,
                const TFileTimes& times, TKV6LoggerDataSet& ds, TDateTime now) {
  TCursor in(bytes);

  // Header.
  const auto header = in.Read(legacy::kHeaderSize);
  if (std::memcmp(header.data(), legacy::kFileSpecifier, 6) != 0)
    throw EFormatError{"Invalid file specifier (" +
                       LowerCase(Format("%2.2x%2.2x%2.2x%2.2x%2.2x%2.2x",
                                        {unsigned{header[0]}, unsigned{header[1]}, unsigned{header[2]},
                                         unsigned{header[3]}, unsigned{header[4]}, unsigned{header[5]}})) +
                       ")"};
  const std::uint16_t version = U16(header.data() + 6);
  if (version < 5 || version > 8) throw EFormatError{Format("File version not supported (%d)", {int{version}})};
  const std::uint32_t readSeconds = U32(header.data() + 8);
  const std::uint8_t firmwareCode = header[12];
  const std::uint16_t softwareVersion = U16(header.data() + 13);
  const std::uint32_t storedCRC = U32(header.data() + 15);
  const std::uint8_t storedChecksum = header[31];
  const TDateTime readTime = EncodeDate(1980, 1, 1) + readSeconds / 86400.0;

  // Memory images.
  TKV6Pel1Pel3LoggerMemoryImages images;
  images.SetFirmware(firmwareCode, readTime);
  const auto first = in.Read(kFirstImageSize);
  const auto second = in.Read(kSecondImageSize);
  images.LoadImages(first.first<kFirstImageSize>(), second.first<kSecondImageSize>());
  images.PrepareCorrection();

  // User fields.
  std::array<std::string, legacy::kFieldCount> names, texts;
  if (version >= 6) {
    const auto nameBlock = in.Read(legacy::kFieldCount * legacy::kFieldNameSize);
    const auto textBlock = in.Read(legacy::kFieldCount * legacy::kFieldTextSize);
    in.Read(legacy::kReservedSize);
    for (std::size_t k = 0; k < legacy::kFieldCount; ++k) {
      names[k] = FieldText(nameBlock.subspan(k * legacy::kFieldNameSize, legacy::kFieldNameSize));
      texts[k] = FieldText(textBlock.subspan(k * legacy::kFieldTextSize, legacy::kFieldTextSize));
    }
  } else {
    const auto text = in.Read(legacy::kVersion5TextSize);
    texts[0] = LoggerTextToUTF8(std::string(reinterpret_cast<const char*>(text.data()), text.size()));
  }

  // Markers.
  const auto markerBlock = in.Read(2 + 2 * legacy::kMaxMarkers);
  const std::uint16_t markerCount = U16(markerBlock.data());
  if (markerCount > legacy::kMaxMarkers) throw EFormatError{Format("Invalid marker count (%d)", {int{markerCount}})};

  // Samples.
  const std::int32_t capacity = images.LoggerCapacity();
  std::span<const std::uint8_t> countT, samplesT, countH, samplesH;
  std::size_t nT = 0, nH = 0;
  auto readCounted = [&](const char* invalidMessage, const char* exceedsMessage, std::span<const std::uint8_t>& count,
                         std::span<const std::uint8_t>& samples, std::size_t& n) {
    count = in.Read(2);
    n = U16(count.data());
    if (n > legacy::kMaxSamples) throw EFormatError{Format(invalidMessage, {static_cast<int>(n)})};
    if (static_cast<long long>(n) > capacity)
      throw EFormatError{Format(exceedsMessage, {static_cast<int>(n), static_cast<int>(capacity)})};
    if (n > 0) samples = in.Read(2 * n);
  };
  if (version >= 7) {
    readCounted("Invalid total temperature samples count (%d)",
                "Total temperature samples (%d) exceeds logging memory size (%d)", countT, samplesT, nT);
    readCounted("Invalid total humidity samples count (%d)",
                "Total humidity samples (%d) exceeds logging memory size (%d)", countH, samplesH, nH);
  } else {
    // The samples run to the end of the file; an odd last byte is ignored. More than the sample
    // buffer holds is refused rather than cut short.
    std::uint64_t remaining = in.Remaining();
    if (fileSize > bytes.size() && fileSize - in.Position() > remaining) remaining = fileSize - in.Position();
    if (remaining / 2 > legacy::kMaxSamples)
      throw EFormatError{Format("Invalid total temperature samples count (%d)",
                                {static_cast<long long>(remaining / 2)})};
    nT = static_cast<std::size_t>(remaining / 2);
    if (nT > 0) samplesT = in.Read(2 * nT);
  }

  // Consecutive marks on one sample are one entry.
  std::vector<TKV6MarkerEntry> markers;
  for (std::size_t i = 0; i < markerCount; ++i) {
    const std::int32_t sample = U16(markerBlock.data() + 2 + 2 * i);
    if (!markers.empty() && i > 0 && sample == U16(markerBlock.data() + 2 * i)) ++markers.back().NumberOfMarkers;
    else markers.push_back({sample, 1});
  }

  // Integrity: the CRC register and the checksum of its low bytes after each part.
  std::uint32_t crc = 0xFFFFFFFFu;
  std::uint8_t checksum = 0;
  auto add = [&](std::span<const std::uint8_t> part) {
    crc = CRCUpdate(crc, part);
    checksum = static_cast<std::uint8_t>(checksum + (crc & 0xFF));
  };
  add(first);
  {
    std::array<std::uint8_t, kSecondImageSize> covered{};
    std::memcpy(covered.data(), second.data(), kSecondImageSize);
    std::memset(covered.data() + 4, 0, 4);  // bytes the logger changes on its own
    add(covered);
  }
  add(markerBlock);
  // The sample blocks are checked and converted together, a cache-sized piece at a time, so each
  // byte comes in from memory once.
  images.ReserveSamples(nT, nH);
  auto addSamples = [&](std::span<const std::uint8_t> block, bool humidity) {
    constexpr std::size_t kPiece = 4096;
    for (std::size_t at = 0; at < block.size(); at += kPiece) {
      const auto piece = block.subspan(at, std::min(kPiece, block.size() - at));
      crc = CRCUpdate(crc, piece);
      if (humidity) images.AppendHumiditySamples(piece);
      else images.AppendTemperatureSamples(piece);
    }
    checksum = static_cast<std::uint8_t>(checksum + (crc & 0xFF));
  };
  if (version >= 7) {
    add(countT);
    if (nT > 0) addSamples(samplesT, false);
    add(countH);
    if (nH > 0) addSamples(samplesH, true);
  } else if (nT > 0) {
    addSamples(samplesT, false);
  }

  // Fill the data set.
  images.SetMarkers(markers);
  images.Decode(ds, now);
  ds.SourceKind = 4;
  ds.FileName = fullPath;
  ds.OriginalFileID = fullPath;
  ds.OriginalFileFormatRevision = version;
  ds.FileFormatRevision = 10;
  ds.SoftwareVersionCreated.Numbers = {static_cast<std::uint16_t>(softwareVersion / 100),
                                       static_cast<std::uint16_t>(softwareVersion % 100), 0, 0};
  ds.SoftwareVersionSaved = ds.SoftwareVersionCreated;
  ds.StoredCRC = storedCRC;
  ds.ComputedCRC = crc;
  ds.StoredChecksum = storedChecksum;
  ds.ComputedChecksum = checksum;
  ds.DigestStatus = storedCRC == crc ? dsCRCPassed : dsCRCFailed;
  ds.LDSDateTimeSamplesRead = readTime;
  ds.TimeZoneOffsetSamplesRead = kOffsetLocalUnknownZone;
  ds.TimeZoneOffsetStarted = kOffsetLocalUnknownZone;
  ds.TimeZoneNameSamplesRead = "Unknown";
  ds.TimeZoneIDStarted = 0;
  // The file system's times, shown in local time by the system, less the PC's offset now.
  const double pcOffset = LocalUTCOffsetDays(now);
  if (times.CreatedUtc) {
    ds.UTCDateTimeFileCreated = UniversalToLocal(*times.CreatedUtc) - pcOffset;
    ds.TimezoneOffsetFileCreated = kOffsetUniversalPCZone;
  } else {
    ds.UTCDateTimeFileCreated = 0;
    ds.TimezoneOffsetFileCreated = kOffsetUnknown;
  }
  if (times.LastWrittenUtc) {
    ds.UTCDateTimeFileLastSaved = UniversalToLocal(*times.LastWrittenUtc) - pcOffset;
    ds.TimezoneOffsetFileLastSaved = kOffsetUniversalPCZone;
  } else {
    ds.UTCDateTimeFileLastSaved = 0;
    ds.TimezoneOffsetFileLastSaved = kOffsetLocalUnknownZone;
  }
  ds.TimezoneNameFileCreated = ds.TimezoneNameFileLastSaved = "Unknown";
  ds.UserName.clear();
  ds.Computer.clear();
  ds.Workgroup.clear();
  ds.Organization.clear();
  ds.TimeTillNextSample = 0;
  ds.Colour = 0;
  ds.LowerLimitExternalAlarm = ds.UpperLimitExternalAlarm = ds.SREExternalAlarm = ds.LowBatteryExternalAlarm = false;
  ds.FirmwareBuildNumber = FirmwareBuildNumberOf(ds.UTCDateOfBuild);
  ds.MetaData.clear();
  ds.MemoryImageText = TKV6Pel1Pel3LoggerMemoryImages::MemoryImageText(first.first<kFirstImageSize>(),
                                                                        second.first<kSecondImageSize>());
  ds.StartSample = 1;
  ds.EndSample = ds.SamplesLogged;
  ds.CursorSample = 1;
  ds.ShowGraphComments = true;
  for (auto& ch : ds.Channels) ch.LoggedSamplesMean = ch.LoggedSamplesMinimum = ch.LoggedSamplesMaximum = 0;
  ds.Markers = std::move(markers);

  std::vector<std::string> lines;
  if (CommentFromFields(names, texts, lines)) {
    TKV6CommentEntry e;
    e.Title = lines.front();
    e.Text = ToCommaText(lines);
    e.Locked = e.DateTimeEnable = e.ValueEnable = false;
    e.XPosition = e.YPosition = 10;
    e.UTCDateTimeCreated = ds.UTCDateTimeFileCreated;
    e.UTCDateTimeEdited = 0;
    e.LDSDateTimePosition = ds.LDSDateOfFirstSample;
    int channel = 0;
    switch (ds.LoggingMode) {
      case lgTemperature:
      case lgTemperatureHumidity:
      case lgTemperatureSecondTemperature: channel = 1; break;
      case lgHumidity: channel = 2; break;
      case lgSecondTemperature: channel = 3; break;
      default: break;
    }
    e.ValuePosition = channel ? ds.GetSample(channel, 1) : 0;
    ds.AddComment(e);
  }
}

void StartReading(TKV6LoggerDataSet& ds) {
  ds.Clear();
  ds.EncodingFormat = efLegacy;
  ds.HashFormat = hfNone;
  ds.CompressionFormat = cfNone;
  ds.EncryptionFormat = nfNone;
}

// Runs the reading; leaves the data set as the first step set it when anything fails.
void RunReading(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const std::string& fullPath,
                const TFileTimes& times, TKV6LoggerDataSet& ds, TKV6ResultCode& result, std::string& message,
                TDateTime now) {
  result = rcOK;
  message.clear();
  TKV6LoggerDataSet filled;
  filled = ds;
  try {
    ReadLegacy(bytes, fileSize, fullPath, times, filled, now);
    ds = std::move(filled);
    return;
  } catch (const EUnexpectedEOF&) {
    result = rcErrorReadingFile;
    message = "Unexpected EOF";
  } catch (const EFormatError& e) {
    result = rcFileFormatError;
    message = e.Message;
  } catch (const std::exception& e) {
    result = rcErrorReadingFile;
    message = "Exception: " + std::string(e.what());
  } catch (...) {
    result = rcErrorReadingFile;
    message = "Exception: unknown exception";
  }
}

std::optional<TDateTime> FromTimespec(const struct statx_timestamp& t) {
  return UnixToDateTime(static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9);
}

}  // namespace

void LoadLegacyKVDataFromBytes(std::span<const std::uint8_t> bytes, std::uint64_t fileSize,
                               const std::string& fullPath, const TFileTimes& times, TKV6LoggerDataSet& ds,
                               TKV6ResultCode& result, std::string& message, TDateTime nowUtc) {
  result = rcUnknownError;
  message.clear();
  StartReading(ds);
  RunReading(bytes, fileSize, fullPath, times, ds, result, message, nowUtc);
}

void LoadLegacyKVDataFileIntoLoggerDataSet(const std::string& fileName, TKV6LoggerDataSet& ds,
                                           TKV6ResultCode& result, std::string& message, TDateTime nowUtc) {
  result = rcUnknownError;
  message.clear();
  StartReading(ds);
  std::string fullPath;
  try {
    std::error_code ec;
    const auto p = std::filesystem::absolute(fileName, ec);
    fullPath = ec ? fileName : p.lexically_normal().string();
  } catch (const std::exception& e) {
    result = rcErrorReadingFile;
    message = "Exception: " + std::string(e.what());
    return;
  }

  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    result = rcErrorReadingFile;
    message = "Exception: Cannot open file \"" + fullPath + "\". " + std::strerror(errno);
    return;
  }
  struct FdCloser {
    int Fd;
    ~FdCloser() { ::close(Fd); }
  } closer{fd};

  TFileTimes times;
  std::uint64_t fileSize = 0;
  struct statx sx {};
  if (::statx(fd, "", AT_EMPTY_PATH, STATX_BTIME | STATX_MTIME | STATX_SIZE, &sx) == 0) {
    if (sx.stx_mask & STATX_BTIME) times.CreatedUtc = FromTimespec(sx.stx_btime);
    if (sx.stx_mask & STATX_MTIME) times.LastWrittenUtc = FromTimespec(sx.stx_mtime);
    if (sx.stx_mask & STATX_SIZE) fileSize = sx.stx_size;
  }

  // One pass into one buffer: the file is read once, up to the largest size whose bytes mean
  // anything, plus one byte to tell a longer file.
  constexpr std::size_t kBufferSize = legacy::kMaxUsefulFileSize + 1;
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[kBufferSize]);
  if (!buffer) {
    result = rcErrorReadingFile;
    message = "Exception: Out of memory";
    return;
  }
  std::size_t got = 0;
  while (got < kBufferSize) {
    const ssize_t n = ::read(fd, buffer.get() + got, kBufferSize - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      result = rcException;
      message = "Exception reading file: " + std::string(std::strerror(errno));
      return;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  // The size the file system gave counts only when the buffer is full: a file that changes while it
  // is read is judged by the bytes that were read.
  fileSize = got > legacy::kMaxUsefulFileSize && fileSize > got ? fileSize : got;
  RunReading(std::span<const std::uint8_t>(buffer.get(), got), fileSize, fullPath, times, ds, result, message, nowUtc);
}

void LoadLegacyKVDataFileIntoLoggerDataSet(const std::string& fileName, TKV6LoggerDataSet& ds,
                                           TKV6ResultCode& result, std::string& message) {
  LoadLegacyKVDataFileIntoLoggerDataSet(fileName, ds, result, message, NowUniversal());
}

}  // namespace qvs
