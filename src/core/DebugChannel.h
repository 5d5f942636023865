#pragma once
// The debug output channel, a developer aid: time-stamped lines with a name column, sent to the
// system's debugger output (standard error here).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/Format.h"

namespace qvs {

class TDebugChannel {
 public:
  using TSink = std::function<void(const std::string&)>;
  using TNanoClock = std::function<std::int64_t()>;  // nanoseconds since 1970-01-01 UTC

  // Starts the channel and sends its first line ("ODSINIT").
  explicit TDebugChannel(std::string tag, TSink sink = {}, TNanoClock clock = {});

  // tag + ": " + time stamp + " " + name column + " " + text.
  void Send(std::string_view name, std::string_view text);
  // The text made by Format; a format that fails sends
  // "Exception " + message + " in format string '" + format + "'" instead.
  void SendFormat(std::string_view name, std::string_view format, TFormatArgs args);

  // The 17-character name column.
  static std::string NameColumn(std::string_view name);

 private:
  std::string TimeStamp();

  std::string Tag;
  TSink Sink;
  TNanoClock Clock;
  std::int64_t Previous = 0;
  bool HasPrevious = false;
};

}  // namespace qvs
