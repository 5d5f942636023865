// qvs-cli: the headless front end. `qvs-cli <command> [options]`; `qvs-cli --help` lists the commands
// and `qvs-cli <command> --help` explains one.

#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"

namespace qvs::cli {
namespace {

const TCommand kCommands[] = {
    {"run", "process a project and print its summary report", RunProject},
    {"inspect", "show what a logger data file holds", RunInspect},
    {"simulate", "write a simulated legacy logger data file", RunSimulate},
};

void PrintUsage(std::ostream& out) {
  out << "Usage: qvs-cli <command> [options]\n\nCommands:\n";
  for (const auto& c : kCommands) out << "  " << c.Name << std::string(12 - std::string(c.Name).size(), ' ') << c.Summary << "\n";
  out << "\nRun 'qvs-cli <command> --help' for the options of a command.\n";
}

}  // namespace

bool WantsHelp(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

}  // namespace qvs::cli

int main(int argc, char** argv) {
  using namespace qvs::cli;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(std::cerr);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintUsage(std::cout);
    return kExitOK;
  }
  for (const auto& c : kCommands) {
    if (args[0] == c.Name) {
      try {
        return c.Run(std::vector<std::string>(args.begin() + 1, args.end()), std::cout, std::cerr);
      } catch (const std::exception& e) {
        std::cerr << "qvs-cli " << c.Name << ": " << e.what() << "\n";
        return kExitFailed;
      }
    }
  }
  std::cerr << "qvs-cli: unknown command '" << args[0] << "'\n\n";
  PrintUsage(std::cerr);
  return kExitUsage;
}
