#pragma once
// The subcommands of qvs-cli: one entry per command in the dispatch table of main.cpp, one source
// file per command.

#include <iosfwd>
#include <string>
#include <vector>

namespace qvs::cli {

// Runs a command with the arguments after its name; returns the exit status.
using TCommandEntry = int (*)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

struct TCommand {
  const char* Name;
  const char* Summary;  // one line for `qvs-cli --help`
  TCommandEntry Run;
};

// Exit statuses shared by the commands.
inline constexpr int kExitOK = 0;
inline constexpr int kExitUsage = 1;     // bad options or arguments
inline constexpr int kExitFailed = 2;    // the command could not do its work (a file rejected, not written)

int RunInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunSimulate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// True when the arguments ask for help ("--help" or "-h").
bool WantsHelp(const std::vector<std::string>& args);

}  // namespace qvs::cli
