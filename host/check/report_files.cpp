#include "host/check/report_files.h"

#include <cctype>
#include <sstream>
#include <stdexcept>

#include "platform/win/code_page.h"
#include "platform/win/last_error.h"
#include "platform/win/path.h"

namespace velmora::check {

namespace {
bool EndsWith(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  for (std::size_t i = 0; i < end.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i])
      return false;
  return true;
}

std::string CellsText(const std::vector<CellRef>& cells) {
  std::string text;
  for (const CellRef& cell : cells) text += (text.empty() ? "" : " ") + cell.sheet + "!" + cell.ref;
  return text;
}
}  // namespace

Summary Summarize(const std::vector<ReturnReport>& reports) {
  Summary summary;
  summary.returns = reports.size();
  for (const ReturnReport& report : reports) {
    switch (report.verdict) {
      case Verdict::Passed:
        ++summary.passed;
        break;
      case Verdict::Failed:
        ++summary.failed;
        break;
      case Verdict::Error:
        ++summary.errors;
        break;
    }
  }
  return summary;
}

void WriteJsonReport(std::ostream& out, const std::vector<ReturnReport>& reports) {
  const Summary summary = Summarize(reports);
  const nlohmann::json json = {{"summary",
                                {{"returns", summary.returns},
                                 {"passed", summary.passed},
                                 {"failed", summary.failed},
                                 {"errors", summary.errors}}},
                               {"returns", reports}};
  out << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

void WriteCsvReport(std::ostream& out, const std::vector<ReturnReport>& reports) {
  out << "file,school_code,school_name,kind,verdict,type,message,cells,error\r\n";
  for (const ReturnReport& report : reports) {
    const std::string head = CsvField(report.file) + "," + CsvField(report.school_code) + "," +
                             CsvField(report.school_name) + "," + CsvField(report.kind) + "," +
                             VerdictName(report.verdict) + ",";
    const std::string tail = "," + CsvField(report.error) + "\r\n";
    if (report.failures.empty()) out << head << ",," << tail;
    for (const Failure& failure : report.failures)
      out << head << CsvField(failure.type) << "," << CsvField(failure.message) << ","
          << CsvField(CellsText(failure.cells)) << tail;
  }
}

bool IsReportFileName(const std::string& path) {
  return EndsWith(path, ".json") || EndsWith(path, ".csv");
}

void WriteReportFile(const std::string& path, const std::vector<ReturnReport>& reports) {
  if (!IsReportFileName(path))
    throw std::runtime_error("the report must be a .json or .csv file: " + path);
  std::ostringstream out;
  if (EndsWith(path, ".json"))
    WriteJsonReport(out, reports);
  else
    WriteCsvReport(out, reports);
  // Replaced whole or not at all: an earlier report is never left half-written.
  if (!win::WriteFile(win::Utf8ToAnsi(path), out.str()))
    throw std::runtime_error("the report cannot be written: " + path + ": " + win::GetLastErrorText());
}

}  // namespace velmora::check
