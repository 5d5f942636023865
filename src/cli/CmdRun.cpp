// qvs-cli run: a whole processing run of a project, with the console as operator console.

#include <pwd.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <ostream>

#include "cli/Commands.h"
#include "core/FileStatus.h"
#include "core/Processing.h"
#include "core/StreamConsole.h"
#include "core/TextForms.h"
#include "project/Project.h"
#include "reports/TextReport.h"
#include "services/StandardRunServices.h"

namespace qvs::cli {
namespace {

const char* const kHelp = R"(Usage: qvs-cli run [options] PROJECT.qvs

Loads the project, reads every enabled logger data file, obtains the temperature and humidity
references, computes the statistics and prints the summary report as text: per logger the samples,
window, minimum, maximum, mean, standard deviation, time below and above the limits and the error
against the reference, then the mean of the loggers, the reference, the variance, SD, spread and
pooled rows, the advisories and the notes. Ctrl-C halts the run as the Halt command does.

Options:
  --report FILE    write the report to FILE instead of standard output ("-" for standard output)
  --no-report      run without writing a report
  -q, --quiet      print nothing but errors (the exit status tells the outcome)
  --status         show the status texts of the run on standard error
  --debug          include debug lines in the output
  --locale NAME    date and number forms of this locale (default: the environment's)
  -h, --help       show this help

Exit status: 0 the run completed; 1 bad options; 2 the project could not be loaded;
3 the run stopped because of an error in the data or the options; 130 halted with Ctrl-C.
)";

constexpr int kExitStopped = 3;
constexpr int kExitHalted = 130;

std::atomic<bool>* gHaltFlag = nullptr;
std::atomic<bool> gInterrupted{false};

extern "C" void OnInterrupt(int) {
  gInterrupted.store(true);
  if (gHaltFlag) gHaltFlag->store(true);
  // A second Ctrl-C ends the program at once.
  std::signal(SIGINT, SIG_DFL);
}

std::string UserName() {
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
  return "Unknown";
}

}  // namespace

int RunProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (WantsHelp(args)) {
    out << kHelp;
    return kExitOK;
  }
  std::string project, reportFile, locale;
  bool quiet = false, status = false, debug = false, noReport = false, localeGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&](const char* option) -> const std::string* {
      if (i + 1 >= args.size()) {
        err << "qvs-cli run: " << option << " needs a value\n";
        return nullptr;
      }
      return &args[++i];
    };
    if (a == "-q" || a == "--quiet") {
      quiet = true;
    } else if (a == "--status") {
      status = true;
    } else if (a == "--debug") {
      debug = true;
    } else if (a == "--no-report") {
      noReport = true;
    } else if (a == "--report") {
      const std::string* v = value("--report");
      if (!v) return kExitUsage;
      reportFile = *v;
    } else if (a == "--locale") {
      const std::string* v = value("--locale");
      if (!v) return kExitUsage;
      locale = *v;
      localeGiven = true;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      err << "qvs-cli run: unknown option '" << a << "'\nRun 'qvs-cli run --help' for the options.\n";
      return kExitUsage;
    } else if (project.empty()) {
      project = a;
    } else {
      err << "qvs-cli run: one project file only ('" << project << "' and '" << a << "')\n";
      return kExitUsage;
    }
  }
  if (project.empty()) {
    err << "qvs-cli run: no project file given\nUsage: qvs-cli run [options] PROJECT.qvs\n";
    return kExitUsage;
  }

  TStreamConsole console(out, err);
  console.Quiet = quiet;
  console.ShowStatus = status;
  console.LogDebugEvents = debug;
  TQVSContext ctx(console, localeGiven ? TFormatSettings::FromLocale(locale) : TFormatSettings::FromLocale());
  TStandardRunServices services;
  ctx.Services = &services;

  TProjectState state;
  const std::string path = ExpandFileName(project);
  if (!LoadProject(ctx, state, path)) {
    err << "qvs-cli run: cannot load project " << path << ": " << state.LastError << "\n";
    return kExitFailed;
  }

  // The file list's checks, as the main window makes them before a run.
  RefreshDataFileStatus(ctx);
  for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
    const TQVSDataSet& e = ctx.DataFileList.Entry(i);
    if (e.Enabled && e.FileStatus != fsLoaded && !quiet)
      err << "qvs-cli run: data file " << FileStatusText(e.FileStatus) << ": " << ctx.DataFileList.Path(i) << "\n";
  }

  std::string report;
  services.ReportWriter = [&](TQVSContext& c) {
    TTextReportInfo info;
    info.ProjectName = state.ProjectName();
    info.ReportFileName = reportFile.empty() || reportFile == "-" ? "" : ExtractFileName(reportFile);
    info.UserName = UserName();
    info.Now = c.Now();
    report = TextSummaryReport(c, info);
  };
  if (noReport) services.ReportWriter = nullptr;

  gHaltFlag = &ctx.HaltRequested;
  std::signal(SIGINT, OnInterrupt);
  DoProcessData(ctx);
  std::signal(SIGINT, SIG_DFL);
  gHaltFlag = nullptr;

  if (!report.empty()) {
    if (reportFile.empty() || reportFile == "-") {
      if (!quiet) out << "\n" << report << std::flush;
    } else {
      std::ofstream file(reportFile, std::ios::binary | std::ios::trunc);
      file << report;
      file.close();
      if (!file) {
        err << "qvs-cli run: cannot write the report to " << reportFile << "\n";
        return kExitFailed;
      }
      if (!quiet) err << "qvs-cli run: report written to " << reportFile << "\n";
    }
  }
  if (!ctx.Halted) return kExitOK;
  return gInterrupted.load() ? kExitHalted : kExitStopped;
}

}  // namespace qvs::cli
