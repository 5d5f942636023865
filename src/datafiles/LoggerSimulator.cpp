#include "datafiles/LoggerSimulator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <numbers>

namespace qvs::sim {
namespace {

// The legacy file as the simulator writes it. Offsets are the simulator's own description of the
// format; it shares no code with the reader.
constexpr std::size_t kHeader = 32, kImage1 = 128, kImage2 = 256;
constexpr std::size_t kNames = 170, kTexts = 650, kReserved = 4096, kV5Text = 64, kMarkerBlock = 202;
constexpr int kMaxSamples = 32768;

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put24(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v);
  p[2] = static_cast<std::uint8_t>(v >> 16);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}
// A counter stored with every byte negated (two's complement per byte).
void PutNegated(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(0u - ((v >> (8 * i)) & 0xFFu));
}

// Bit by bit, so it shares no table with the reader.
std::uint32_t CRCBits(std::uint32_t reg, const std::uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    reg ^= p[i];
    for (int k = 0; k < 8; ++k) reg = (reg >> 1) ^ (0xEDB88320u & (0u - (reg & 1u)));
  }
  return reg;
}

std::int16_t Hundredths(double v) {
  const double r = std::round(v * 100.0);
  if (!(r >= -32768)) return -32768;
  if (r > 32767) return 32767;
  return static_cast<std::int16_t>(r);
}

// splitmix64: a well-mixed 64-bit value for (seed, index).
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

double UnitOpen(std::uint64_t bits) { return (static_cast<double>(bits >> 11) + 0.5) / 9007199254740992.0; }

bool ValidTemperaturePoint(std::int16_t v, std::int16_t c) { return v != -32768 && v >= -27315 && c >= -3000 && c <= 3000; }
bool ValidHumidityPoint(std::int16_t v, std::int16_t c) {
  return v != -32768 && v >= -500 && v <= 10500 && c >= -2000 && c <= 2000;
}

struct TBlocks {
  std::size_t Image1, Image2, Markers, CountT, SamplesT, CountH, SamplesH, End;
  std::size_t NT, NH;
};

// Finds the blocks of a legacy file from its version and counts, for re-signing.
bool LocateBlocks(const std::vector<std::uint8_t>& b, TBlocks& k) {
  if (b.size() < kHeader) return false;
  const int version = b[6] | (b[7] << 8);
  k.Image1 = kHeader;
  k.Image2 = k.Image1 + kImage1;
  const std::size_t fields = version >= 6 ? kNames + kTexts + kReserved : kV5Text;
  k.Markers = k.Image2 + kImage2 + fields;
  std::size_t pos = k.Markers + kMarkerBlock;
  if (pos > b.size()) return false;
  if (version >= 7) {
    k.CountT = pos;
    if (pos + 2 > b.size()) return false;
    k.NT = b[pos] | (b[pos + 1] << 8);
    k.SamplesT = pos + 2;
    pos = k.SamplesT + 2 * k.NT;
    k.CountH = pos;
    if (pos + 2 > b.size()) return false;
    k.NH = b[pos] | (b[pos + 1] << 8);
    k.SamplesH = pos + 2;
    k.End = k.SamplesH + 2 * k.NH;
    return k.End <= b.size();
  }
  k.CountT = k.CountH = k.SamplesH = 0;
  k.SamplesT = pos;
  k.NT = (b.size() - pos) / 2;
  k.NH = 0;
  k.End = pos + 2 * k.NT;
  return true;
}

void Sign(std::vector<std::uint8_t>& b, const TBlocks& k, int version, std::uint32_t& crcOut, std::uint8_t& sumOut) {
  std::uint32_t crc = 0xFFFFFFFFu;
  std::uint8_t sum = 0;
  auto part = [&](const std::uint8_t* p, std::size_t n) {
    crc = CRCBits(crc, p, n);
    sum = static_cast<std::uint8_t>(sum + (crc & 0xFFu));
  };
  part(b.data() + k.Image1, kImage1);
  std::uint8_t image2[kImage2];
  std::memcpy(image2, b.data() + k.Image2, kImage2);
  std::memset(image2 + 4, 0, 4);
  part(image2, kImage2);
  part(b.data() + k.Markers, kMarkerBlock);
  if (version >= 7) {
    part(b.data() + k.CountT, 2);
    if (k.NT) part(b.data() + k.SamplesT, 2 * k.NT);
    part(b.data() + k.CountH, 2);
    if (k.NH) part(b.data() + k.SamplesH, 2 * k.NH);
  } else if (k.NT) {
    part(b.data() + k.SamplesT, 2 * k.NT);
  }
  crcOut = crc;
  sumOut = sum;
}

std::uint32_t SecondsSince1980(TDateTime t) {
  const double s = std::round((t - EncodeDate(1980, 1, 1)) * 86400.0);
  if (s < 0 || s > 4294967295.0) throw ESimulatorError("a time before 1980 or after 2116 cannot be stored");
  return static_cast<std::uint32_t>(s);
}

std::uint32_t MinutesSince2010(TDateTime t) {
  const double m = std::round((t - EncodeDate(2010, 1, 1)) * 1440.0);
  if (m < 0 || m > 16777215) throw ESimulatorError("a date before 2010 or after 2041-11-25 cannot be stored");
  return static_cast<std::uint32_t>(m);
}

void CopyText(std::uint8_t* p, const std::string& s, std::size_t n, std::uint8_t pad) {
  std::memset(p, pad, n);
  std::memcpy(p, s.data(), std::min(n, s.size()));
}

}  // namespace

double TSignal::ValueAt(double hours, std::int64_t index) const {
  double v = Base + DriftPerDay * hours / 24.0;
  for (const auto& s : Steps)
    if (hours >= s.AfterHours) v += s.Change;
  for (const auto& c : ColdSpots) {
    if (c.DurationHours > 0 && hours >= c.StartHours && hours <= c.StartHours + c.DurationHours) {
      const double phase = (hours - c.StartHours) / c.DurationHours;
      v -= c.Depth * 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * phase));
    }
  }
  if (Extra) v += Extra(hours);
  if (NoiseStdDev > 0) {
    // Box-Muller on two values drawn for this seed and sample.
    const std::uint64_t h = Mix(NoiseSeed * 0x100000001B3ull ^ Mix(static_cast<std::uint64_t>(index)));
    const double u1 = UnitOpen(h), u2 = UnitOpen(Mix(h));
    v += NoiseStdDev * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
  }
  return v;
}

std::uint32_t MakeSerialNumber(unsigned kind, unsigned number, unsigned subKind) {
  if (kind > 15) throw ESimulatorError("a serial number kind is 0..15");
  if (kind == 4 || kind == 5) {
    if (number > 999999 || subKind > 15) throw ESimulatorError("kinds 4 and 5 take numbers up to 999999");
    return (kind << 28) | (subKind << 24) | number;
  }
  if (number > 9999999) throw ESimulatorError("serial numbers go up to 9999999");
  return (kind << 28) | number;
}

TSimulatedFile BuildLegacyFile(const TLoggerDescription& d) {
  if (d.Version < 5 || d.Version > 8) throw ESimulatorError("legacy files have versions 5 to 8");
  if (d.SamplePeriodSeconds < 2 || d.SamplePeriodSeconds % 2 != 0 || d.SamplePeriodSeconds > 131070)
    throw ESimulatorError("the sample period is an even number of seconds from 2 to 131070");
  if (d.SampleCount < 0) throw ESimulatorError("the sample count cannot be negative");
  const bool logs = d.State == TLoggerState::Logging || d.State == TLoggerState::Stopped;
  const bool withT = d.Logging != TLogging::Humidity;
  const bool withH = d.Logging != TLogging::Temperature;
  if (d.Version < 7 && withH) throw ESimulatorError("version 5 and 6 files hold temperature samples only");
  const int stored = logs ? d.SampleCount + (d.TrailingPartialSample ? 1 : 0) : 0;
  if (stored > kMaxSamples) throw ESimulatorError("a legacy file holds at most 32768 samples per quantity");
  if (d.TemperaturePoints.size() > 3 || d.HumidityPoints.size() > 2)
    throw ESimulatorError("loggers keep up to three temperature and two humidity calibration points");
  if (d.Markers.size() > 100) throw ESimulatorError("loggers keep up to 100 markers");
  if (d.UserFields.size() > 10) throw ESimulatorError("legacy files have ten user fields");
  if (d.UserData.size() > 5) throw ESimulatorError("user data has five lines");

  TSimulatedFile out;
  const int nT = withT ? stored : 0, nH = withH ? stored : 0;

  // Samples, as stored.
  const double periodHours = d.SamplePeriodSeconds / 3600.0;
  for (int i = 0; i < stored; ++i) {
    const double hours = i * periodHours;
    if (withT) out.RawTemperature.push_back(Hundredths(d.Temperature.ValueAt(hours, i)));
    if (withH) out.RawHumidity.push_back(Hundredths(d.Humidity.ValueAt(hours, i)));
  }

  // Times in whole seconds since 1980, counters in 2-second ticks after activation.
  const std::uint32_t first = SecondsSince1980(d.FirstSampleTime) & ~1u;
  const std::uint32_t period = static_cast<std::uint32_t>(d.SamplePeriodSeconds);
  const std::uint32_t activation = first - static_cast<std::uint32_t>(std::max(d.ActivatedBeforeSeconds, d.StartDelaySeconds) & ~1);
  const std::uint32_t last = d.SampleCount > 0 ? first + period * static_cast<std::uint32_t>(d.SampleCount - 1) : first;
  // A logger that has not begun logging is read some time after its activation.
  const std::uint32_t read = (logs ? last : activation) + static_cast<std::uint32_t>(std::max(d.ReadAfterSeconds, 0) & ~1);
  const TDateTime epoch = EncodeDate(1980, 1, 1);
  out.ReadTime = epoch + read / 86400.0;
  out.ActivationTime = epoch + activation / 86400.0;
  out.LastSampleTime = epoch + last / 86400.0;

  // First memory image.
  std::uint8_t a[kImage1] = {};
  const int pages = d.MemoryPages > 0 ? d.MemoryPages : std::clamp((stored + 255 + 255) / 256, 64, 255);
  if (pages > 255) throw ESimulatorError("memory size is at most 255 pages");
  a[32] = d.ProductKind;
  a[33] = static_cast<std::uint8_t>(d.State);
  a[34] = static_cast<std::uint8_t>(pages);
  std::uint32_t stateWord = 0;
  const bool th = d.Logging == TLogging::TemperatureHumidity;
  switch (d.State) {
    case TLoggerState::Ready: stateWord = static_cast<std::uint32_t>(d.StartDelaySeconds / 2); break;
    case TLoggerState::StartDelay: {
      const std::int64_t remaining = static_cast<std::int64_t>(first) - read;
      stateWord = remaining > 0 ? static_cast<std::uint32_t>(remaining / 2) : 0;
      break;
    }
    default:
      stateWord = th ? (stored > 0 ? 256u + 2u * static_cast<std::uint32_t>(stored - 1) : 256u)
                     : 255u + static_cast<std::uint32_t>(stored);
      break;
  }
  Put16(a + 35, std::min<std::uint32_t>(stateWord, 0xFFFF));
  a[37] = d.TotalTrips;
  Put16(a + 38, period / 2);
  PutNegated(a + 40, (read - activation) / 2);
  PutNegated(a + 44, (first - activation) / 2);
  PutNegated(a + 48, d.TotalSamples ? *d.TotalSamples : static_cast<std::uint32_t>(logs ? d.SampleCount : 0));
  PutNegated(a + 62, d.StartOnDateTime ? (first - activation) / 2 : 0);
  std::int32_t check = 0;
  // Unused slots hold the value -32768 with no correction; valid points count in the check word.
  const auto putPoints = [&](const std::vector<TCalibrationPoint>& points, std::size_t slots, std::size_t offset,
                             bool (*valid)(std::int16_t, std::int16_t)) {
    for (std::size_t i = 0; i < slots; ++i) {
      std::int16_t v = -32768, c = 0;
      if (i < points.size()) {
        v = Hundredths(points[i].Value);
        c = Hundredths(points[i].Correction);
      }
      Put16(a + offset + 4 * i, static_cast<std::uint16_t>(v));
      Put16(a + offset + 2 + 4 * i, static_cast<std::uint16_t>(c));
      if (valid(v, c)) check += v + c;
    }
  };
  putPoints(d.TemperaturePoints, 3, 66, ValidTemperaturePoint);
  putPoints(d.HumidityPoints, 2, 78, ValidHumidityPoint);
  const std::int16_t lower1 = Hundredths(d.Channel1LowerLimit), upper1 = Hundredths(d.Channel1UpperLimit);
  Put16(a + 90, static_cast<std::uint16_t>(lower1));
  Put16(a + 92, static_cast<std::uint16_t>(upper1));
  std::uint8_t status = 0;
  if (d.MemoryFull) status |= 1;
  for (auto v : out.RawTemperature) {
    if (v < lower1) status |= 2;
    if (v > upper1) status |= 4;
  }
  if (d.SafeRangeEntered) status |= 8;
  const double lower2 = std::round(d.Channel2LowerLimit * 2) / 2, upper2 = std::round(d.Channel2UpperLimit * 2) / 2;
  for (auto v : out.RawHumidity) {
    if (v / 100.0 < lower2) status |= 64;
    if (v / 100.0 > upper2) status |= 128;
  }
  a[94] = status;
  a[95] = static_cast<std::uint8_t>((d.LoopOverwrite ? 1 : 0) | (d.StartWithButton ? 2 : 0) | (d.StopWithButton ? 4 : 0) |
                                    (d.StartOnDateTime ? 8 : 0) | (d.MarkWithButton ? 64 : 0) | (d.SREEnable ? 128 : 0));
  PutNegated(a + 96, (last - activation) / 2);
  a[102] = d.AlarmDelay;
  Put16(a + 108, static_cast<std::uint16_t>(d.CheckWord ? *d.CheckWord : static_cast<std::int16_t>(check)));
  a[122] = static_cast<std::uint8_t>(std::clamp(lower2 * 2, 0.0, 255.0));
  a[123] = static_cast<std::uint8_t>(std::clamp(upper2 * 2, 0.0, 255.0));
  a[126] = d.Logging == TLogging::Temperature ? 1 : (d.Logging == TLogging::Humidity ? 2 : 3);

  // Second memory image.
  std::uint8_t b[kImage2] = {};
  Put32(b + 0, d.SerialNumber);
  Put32(b + 4, 0xA5000000u | (read & 0xFFFFFFu));  // bytes the logger keeps changing; outside the CRC
  for (std::size_t i = 0; i < 5; ++i) CopyText(b + 8 + 40 * i, i < d.UserData.size() ? d.UserData[i] : "", 40, ' ');
  CopyText(b + 208, d.OwnerName, 8, 0);
  b[216] = d.FactoryResetCode;
  b[217] = d.Locked ? 1 : 0;
  if (d.ProgrammedRecalExpiry) Put24(b + 222, MinutesSince2010(*d.ProgrammedRecalExpiry));
  else Put24(b + 222, 0x202020);
  if (d.ManufactureDate) Put24(b + 225, MinutesSince2010(*d.ManufactureDate));
  else Put24(b + 225, 0x202020);
  b[228] = d.GraceDays ? static_cast<std::uint8_t>(*d.GraceDays) : ' ';
  Put16(b + 229, d.RecalPeriodDays ? static_cast<std::uint32_t>(*d.RecalPeriodDays) : 0x2020u);
  Put16(b + 231, d.StartDelaySeconds > 0 ? static_cast<std::uint32_t>(d.StartDelaySeconds / 2) : 0x2020u);
  b[234] = static_cast<std::uint8_t>('0' + std::min<int>(d.RefurbishCount, 9));
  b[235] = d.CaseAppearance;
  {
    char tsn[16];
    std::snprintf(tsn, sizeof tsn, "TSN %08d", static_cast<int>(((d.TSN % 100000000) + 100000000) % 100000000));
    std::memcpy(b + 236, tsn, 12);
  }
  b[248] = d.Logging == TLogging::Temperature ? 0 : 1;
  b[249] = d.TemperatureSensor;
  b[250] = d.BatteryType;
  b[251] = d.LabelVariant;
  b[252] = d.HumiditySensor;

  // The file.
  const std::size_t fields = d.Version >= 6 ? kNames + kTexts + kReserved : kV5Text;
  std::size_t size = kHeader + kImage1 + kImage2 + fields + kMarkerBlock;
  size += d.Version >= 7 ? 4 + 2 * static_cast<std::size_t>(nT + nH) : 2 * static_cast<std::size_t>(nT);
  std::vector<std::uint8_t>& f = out.Bytes;
  f.assign(size, 0);
  std::memcpy(f.data(), "VELQOR", 6);
  Put16(f.data() + 6, static_cast<std::uint32_t>(d.Version));
  Put32(f.data() + 8, read);
  f[12] = d.FirmwareCode;
  Put16(f.data() + 13, d.SoftwareVersion);
  std::size_t pos = kHeader;
  out.Layout.FirstImage = pos;
  std::memcpy(f.data() + pos, a, kImage1);
  pos += kImage1;
  out.Layout.SecondImage = pos;
  std::memcpy(f.data() + pos, b, kImage2);
  pos += kImage2;
  if (d.Version >= 6) {
    out.Layout.FieldNames = pos;
    out.Layout.FieldTexts = pos + kNames;
    for (std::size_t k = 0; k < d.UserFields.size(); ++k) {
      const auto& name = d.UserFields[k].Name;
      const auto& text = d.UserFields[k].Text;
      std::uint8_t* n = f.data() + pos + 17 * k;
      n[0] = static_cast<std::uint8_t>(std::min<std::size_t>(name.size(), 16));
      std::memcpy(n + 1, name.data(), n[0]);
      std::uint8_t* t = f.data() + pos + kNames + 65 * k;
      t[0] = static_cast<std::uint8_t>(std::min<std::size_t>(text.size(), 64));
      std::memcpy(t + 1, text.data(), t[0]);
    }
    pos += kNames + kTexts + kReserved;
  } else {
    out.Layout.FieldTexts = pos;
    CopyText(f.data() + pos, d.UserFields.empty() ? "" : d.UserFields[0].Text, kV5Text, ' ');
    pos += kV5Text;
  }
  out.Layout.Markers = pos;
  Put16(f.data() + pos, d.MarkerCountOverride ? *d.MarkerCountOverride : static_cast<std::uint32_t>(d.Markers.size()));
  for (std::size_t i = 0; i < d.Markers.size(); ++i) Put16(f.data() + pos + 2 + 2 * i, static_cast<std::uint32_t>(d.Markers[i]));
  pos += kMarkerBlock;
  auto samples = [&](const std::vector<std::int16_t>& raw, std::size_t& at) {
    at = pos;
    for (auto v : raw) {
      Put16(f.data() + pos, static_cast<std::uint16_t>(v));
      pos += 2;
    }
  };
  if (d.Version >= 7) {
    out.Layout.TemperatureCount = pos;
    Put16(f.data() + pos, d.TemperatureCountOverride ? *d.TemperatureCountOverride : static_cast<std::uint32_t>(nT));
    pos += 2;
    samples(out.RawTemperature, out.Layout.TemperatureSamples);
    out.Layout.HumidityCount = pos;
    Put16(f.data() + pos, d.HumidityCountOverride ? *d.HumidityCountOverride : static_cast<std::uint32_t>(nH));
    pos += 2;
    samples(out.RawHumidity, out.Layout.HumiditySamples);
  } else {
    samples(out.RawTemperature, out.Layout.TemperatureSamples);
  }

  // Sign over the true blocks, whatever the counts say.
  TBlocks k{};
  k.Image1 = out.Layout.FirstImage;
  k.Image2 = out.Layout.SecondImage;
  k.Markers = out.Layout.Markers;
  k.CountT = out.Layout.TemperatureCount;
  k.SamplesT = out.Layout.TemperatureSamples;
  k.CountH = out.Layout.HumidityCount;
  k.SamplesH = out.Layout.HumiditySamples;
  k.NT = static_cast<std::size_t>(nT);
  k.NH = static_cast<std::size_t>(nH);
  Sign(f, k, d.Version, out.CRC, out.Checksum);
  if (d.CRCOverride) out.CRC = *d.CRCOverride;
  Put32(f.data() + 15, out.CRC);
  f[31] = out.Checksum;
  return out;
}

TSimulatedFile WriteLegacyFile(const TLoggerDescription& d, const std::string& path) {
  TSimulatedFile file = BuildLegacyFile(d);
  std::ofstream o(path, std::ios::binary | std::ios::trunc);
  o.write(reinterpret_cast<const char*>(file.Bytes.data()), static_cast<std::streamsize>(file.Bytes.size()));
  o.close();
  if (!o) throw std::runtime_error("cannot write " + path);
  return file;
}

void ResignLegacyFile(std::vector<std::uint8_t>& bytes) {
  TBlocks k{};
  if (!LocateBlocks(bytes, k)) throw ESimulatorError("the bytes are too short for a legacy file");
  std::uint32_t crc = 0;
  std::uint8_t sum = 0;
  Sign(bytes, k, bytes[6] | (bytes[7] << 8), crc, sum);
  Put32(bytes.data() + 15, crc);
  bytes[31] = sum;
}

}  // namespace qvs::sim
