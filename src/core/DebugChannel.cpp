#include "core/DebugChannel.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>

namespace qvs {

TDebugChannel::TDebugChannel(std::string tag, TSink sink, TNanoClock clock)
    : Tag(std::move(tag)), Sink(std::move(sink)), Clock(std::move(clock)) {
  if (!Sink) Sink = [](const std::string& line) { std::cerr << line << '\n'; };
  if (!Clock)
    Clock = [] {
      return static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                           std::chrono::system_clock::now().time_since_epoch())
                                           .count());
    };
  SendFormat("ODSINIT", "ODS enabled.  Tag: \"%s\", Datestamp: %s, HiRes: %s, UseUDP: %s",
             {Tag, "True", "True", "False"});
}

std::string TDebugChannel::NameColumn(std::string_view name) {
  if (name.empty()) return std::string(17, ' ');
  if (name.size() > 16) return std::string(name.substr(0, 16)) + ":";
  std::string column = std::string(name) + ":";
  column.resize(17, ' ');
  return column;
}

std::string TDebugChannel::TimeStamp() {
  const std::int64_t now = Clock();
  const std::int64_t seconds = now >= 0 ? now / 1000000000 : (now - 999999999) / 1000000000;
  const std::int64_t nanos = now - seconds * 1000000000;
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&t, &local);
  const double since = HasPrevious ? static_cast<double>(now - Previous) / 1e9 : 0.0;
  Previous = now;
  HasPrevious = true;
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%09lld %13.9f", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<long long>(nanos), since);
  return buffer;
}

void TDebugChannel::Send(std::string_view name, std::string_view text) {
  try {
    Sink(Tag + ": " + TimeStamp() + " " + NameColumn(name) + " " + std::string(text));
  } catch (...) {
    // A developer aid never stops the program.
  }
}

void TDebugChannel::SendFormat(std::string_view name, std::string_view format, TFormatArgs args) {
  std::string text;
  try {
    text = Format(format, args);
  } catch (const std::exception& e) {
    text = "Exception " + std::string(e.what()) + " in format string '" + std::string(format) + "'";
  }
  Send(name, text);
}

}  // namespace qvs
