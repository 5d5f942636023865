#include "reports/TextReport.h"

#include <algorithm>
#include <cmath>

#include "core/Format.h"
#include "core/Processing.h"
#include "core/TextForms.h"
#include "reference/ReferenceSources.h"
#include "reports/ResultsTables.h"

namespace qvs {
namespace {

constexpr const char* kDescriptionPrompt = "Enter a description for the project";
constexpr const char* kNotesPrompt = "Enter any notes you want included in the generated reports for this project";

// UTF-8 characters, so that "°" counts as one column.
std::size_t Columns(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

std::string Pad(const std::string& s, std::size_t width, TCellAlignment alignment) {
  const std::size_t n = Columns(s);
  if (n >= width) return s;
  const std::string fill(width - n, ' ');
  return alignment == TCellAlignment::Left ? s + fill : fill + s;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (std::size_t i = 0; i < lines.size(); ++i) s += (i ? "\n" : "") + lines[i];
  return s;
}

class TReportText {
 public:
  void Line(const std::string& s = {}) { Text += s + "\n"; }
  void Blank() {
    if (!Text.empty() && Text.compare(Text.size() - 2, 2, "\n\n") != 0) Text += "\n";
  }
  // The value's further lines are indented under its first.
  void LabelValue(const std::string& label, const std::string& value) {
    if (value.empty()) return Line(label);
    std::string text = Pad(label, kLabelWidth, TCellAlignment::Left);
    for (char c : value) text += c == '\n' ? "\n" + std::string(kLabelWidth, ' ') : std::string(1, c);
    Line(text);
  }
  static constexpr std::size_t kLabelWidth = 32;
  void Heading(const std::string& s) {
    Blank();
    Line(s);
    Line(std::string(Columns(s), '='));
  }
  std::string Text;
};

void QuantityBlock(TReportText& out, const TQVSContext& ctx, bool temperature) {
  const TFormatSettings& fs = ctx.FormatSettings;
  const TQuantityResults& q = temperature ? ctx.Results.Temperature : ctx.Results.Humidity;
  const int count = temperature ? ctx.DataFileList.CountTemperature() : ctx.DataFileList.CountHumidity();
  if (count == 0) {
    out.LabelValue(temperature ? "No loggers in project contain temperature records."
                               : "No loggers in project contain humidity records.",
                   "");
    return;
  }
  const std::string name = temperature ? "Temperature" : "Humidity";
  out.LabelValue(name + " Reporting Interval",
                 Format("%s to %s", {LongDateTimeText(q.SummaryStart, fs), LongDateTimeText(q.SummaryEnd, fs)}));
  out.LabelValue(name + " Reporting Duration", ReportingDurationText(q.SummaryEnd - q.SummaryStart, fs));
  out.LabelValue(name + " Reference", temperature ? TemperatureReferenceSummary(ctx) : HumidityReferenceSummary(ctx));
  const TReferenceOptions& ref = temperature ? ctx.Options.TemperatureReference : ctx.Options.HumidityReference;
  if (ref.Source == rdsLogger) out.LabelValue("    Logger serial number", q.Reference.ReferenceShortText);
  if (ref.Source == rdsCSV) {
    out.LabelValue("    CSV Column", Format("%d", {q.Reference.MatchedCSVColumn}));
    out.LabelValue("    CSV Channel ID", q.Reference.MatchedCSVChannelID);
  }
  const double upper = temperature ? ctx.Options.SummaryUpperTemperatureLimit : ctx.Options.SummaryUpperHumidityLimit;
  const double lower = temperature ? ctx.Options.SummaryLowerTemperatureLimit : ctx.Options.SummaryLowerHumidityLimit;
  const auto limit = [&](double v) { return temperature ? TemperatureText(v, 2, fs) : HumidityText(v, fs); };
  if (ctx.Options.SummaryTimeAbove) out.LabelValue("Upper Limit", limit(upper));
  if (ctx.Options.SummaryTimeBelow) out.LabelValue("Lower Limit", limit(lower));
}

std::string IntervalParagraph(const TQVSContext& ctx, bool temperature) {
  const TFormatSettings& fs = ctx.FormatSettings;
  const TQuantityResults& q = temperature ? ctx.Results.Temperature : ctx.Results.Humidity;
  const std::string ws = LongDateTimeText(q.SummaryStart, fs), we = LongDateTimeText(q.SummaryEnd, fs);
  if (ctx.Options.SummaryEntireLoggerRecord)
    return Format(temperature
                      ? "The entire temperature sample record (more or less) for each logger was analyzed. The "
                        "reporting interval has been reduced to an interval that includes the time interval logged "
                        "by every logger. The actual reporting interval is %s to %s. The actual number of samples "
                        "analyzed and the time they span is shown with each logger."
                      : "The entire humidity sample record (more or less) for each logger was analyzed. The "
                        "reporting interval has been reduced to an interval that includes the time interval logged "
                        "by every logger. The actual reporting interval is %s to %s. The actual number of samples "
                        "analyzed and the time they span is shown with each logger.",
                  {ws, we});
  const TDateTime s = ctx.Options.SummaryStartDateTime(), e = ctx.Options.SummaryEndDateTime();
  const std::string rs = LongDateTimeText(s, fs), re = LongDateTimeText(e, fs);
  if (std::fabs(q.SummaryStart - s) <= kOneMillisecond && std::fabs(q.SummaryEnd - e) <= kOneMillisecond)
    return Format(temperature ? "Only the temperature samples between the specified times of %s and %s (more or less) "
                                "for each logger were analyzed. The actual number of samples analyzed and the time "
                                "they span is shown with each logger."
                              : "Only the humidity samples between the specified times of %s and %s (more or less) "
                                "for each logger were analyzed. The actual number of samples analyzed and the time "
                                "they span is shown with each logger.",
                  {rs, re});
  const std::string difference =
      LongDurationText(std::fabs((q.SummaryEnd - q.SummaryStart) - (e - s)), fs);
  return Format(std::string("The summary report was requested between the specified times of %s and %s, however the ") +
                    (temperature ? "temperature" : "humidity") +
                    " samples in some of the loggers did not fully cover the specified time period. Accordingly the "
                    "reporting interval has been reduced to an interval that includes the time interval logged by "
                    "every logger (and the reference if specified). The actual reporting interval is %s to %s (a "
                    "difference of approximately %s). The actual number of samples analyzed and the time they span "
                    "is shown with each logger.",
                {rs, re, ws, we, difference});
}

}  // namespace

std::string TextTable(const TResultsTable& table) {
  std::vector<std::size_t> widths;
  for (const TResultsColumn& c : table.Columns)
    widths.push_back(std::max(Columns(c.Heading), Columns(c.WidthSample)));
  for (const TResultsRow& r : table.Rows)
    for (std::size_t i = 0; i < r.Cells.size() && i < widths.size(); ++i)
      widths[i] = std::max(widths[i], Columns(r.Cells[i]));
  const auto line = [&](const std::vector<std::string>& cells) {
    std::string s;
    for (std::size_t i = 0; i < table.Columns.size(); ++i) {
      const std::string& cell = i < cells.size() ? cells[i] : std::string();
      s += (i ? "  " : "") + Pad(cell, widths[i], table.Columns[i].Alignment);
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s + "\n";
  };
  std::vector<std::string> headings;
  for (const TResultsColumn& c : table.Columns) headings.push_back(c.HeadingShown ? c.Heading : "");
  std::string out = line(headings);
  for (std::size_t i = 0; i < table.Rows.size(); ++i) {
    if (static_cast<int>(i) == table.LoggerRowCount && i > 0) out += "\n";
    out += line(table.Rows[i].Cells);
  }
  return out;
}

std::string TextSummaryReport(TQVSContext& ctx, const TTextReportInfo& info) {
  const TFormatSettings& fs = ctx.FormatSettings;
  const TProjectOptions& o = ctx.Options;
  const TAverageErrors errors = ComputeAverageErrors(ctx);
  TReportText out;
  out.Heading("Kestova QVS Summary Report");
  out.LabelValue("Client", o.Client);
  out.LabelValue("Site", o.Site);
  out.LabelValue("Report by", ctx.Settings.Company);
  out.LabelValue("Logged in Windows User", info.UserName.empty() ? "Unknown" : info.UserName);
  out.LabelValue("Date Printed", LongDateTimeText(info.Now, fs));
  if (!info.ReportFileName.empty()) out.LabelValue("Report Filename", info.ReportFileName);
  out.LabelValue("Project Name", info.ProjectName);
  const std::string description = SingleLine(Joined(o.Description));
  if (!description.empty() && description != kDescriptionPrompt)
    out.LabelValue("Project Description", Joined(o.Description));
  out.LabelValue("Report Type", o.ReportKind == rkTemperature  ? "Temperature only"
                                : o.ReportKind == rkHumidity ? "Humidity only"
                                                             : "Temperature and Humidity");
  out.Blank();
  if (o.ReportsTemperature()) QuantityBlock(out, ctx, true);
  if (o.ReportsHumidity()) QuantityBlock(out, ctx, false);
  out.Blank();
  out.Line("The following summary report was obtained from the loggers listed below.");
  out.Blank();
  if (o.ReportsTemperature() && ctx.DataFileList.CountTemperature() >= 1) {
    out.Line(IntervalParagraph(ctx, true));
    out.Blank();
  }
  if (o.ReportsHumidity() && ctx.DataFileList.CountHumidity() >= 1) {
    out.Line(IntervalParagraph(ctx, false));
    out.Blank();
  }
  RunAdvisories(ctx);
  if (!ctx.Results.ProcessingNotes.empty()) {
    out.Line("Advisories - QVS has detected the following warning conditions or conflicting reporting options.");
    out.Blank();
    for (const std::string& note : ctx.Results.ProcessingNotes) out.Line(note);
    out.Blank();
  }
  const std::string notes = SingleLine(Joined(o.ReportNotes));
  if (!notes.empty() && notes != kNotesPrompt) {
    out.Line("Notes");
    out.Blank();
    out.Line(Joined(o.ReportNotes));
    out.Blank();
  }
  for (bool temperature : {true, false}) {
    if (temperature ? !o.ReportsTemperature() : !o.ReportsHumidity()) continue;
    const TResultsTable table = BuildResultsTable(ctx, temperature, errors);
    if (table.Heading.empty()) continue;
    out.Heading(table.Heading);
    out.Text += TextTable(table);
  }
  const TResultsTable calibration = BuildCalibrationTable(ctx, info.Now);
  if (!calibration.Heading.empty()) {
    out.Heading(calibration.Heading);
    out.Text += TextTable(calibration);
  }
  return out.Text;
}

}  // namespace qvs
