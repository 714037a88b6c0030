#pragma once
// The report of a check as a file, chosen by its name's ending: ".json"
// (a summary and one entry per return) or ".csv" (UTF-8, RFC 4180 quoting:
// one row per failed rule, and one row for a return without failures).
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "host/check/return_report.h"

namespace velmora::check {

struct Summary {
  std::size_t returns = 0, passed = 0, failed = 0, errors = 0;
};
Summary Summarize(const std::vector<ReturnReport>& reports);

// {"summary": {"returns", "passed", "failed", "errors"}, "returns": [report...]}
void WriteJsonReport(std::ostream& out, const std::vector<ReturnReport>& reports);
// file,school_code,school_name,kind,verdict,type,message,cells,error; the
// cells of a failure as "sheet!ref" joined by " ".
void WriteCsvReport(std::ostream& out, const std::vector<ReturnReport>& reports);

// A field of a CSV row: quoted when it holds a comma, a quote, CR or LF,
// its quotes doubled.
std::string CsvField(const std::string& text);

// Writes the report to path, as JSON or CSV by its ending; throws
// std::runtime_error for any other ending or when the file cannot be written.
void WriteReportFile(const std::string& path, const std::vector<ReturnReport>& reports);
// True for the endings WriteReportFile knows.
bool IsReportFileName(const std::string& path);

}  // namespace velmora::check
