#include "host/check/return_report.h"

#include <stdexcept>

namespace velmora::check {

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Passed:
      return "passed";
    case Verdict::Failed:
      return "failed";
    case Verdict::Error:
      break;
  }
  return "error";
}

namespace {
Verdict VerdictOfName(const std::string& name) {
  for (Verdict v : {Verdict::Passed, Verdict::Failed, Verdict::Error})
    if (name == VerdictName(v)) return v;
  throw std::invalid_argument("unknown verdict " + name);
}
}  // namespace

void to_json(nlohmann::json& out, const Failure& failure) {
  nlohmann::json cells = nlohmann::json::array();
  for (const CellRef& cell : failure.cells)
    cells.push_back({{"sheet", cell.sheet}, {"ref", cell.ref}});
  out = {{"type", failure.type}, {"message", failure.message}, {"cells", cells}};
}

void from_json(const nlohmann::json& in, Failure& failure) {
  failure.type = in.at("type").get<std::string>();
  failure.message = in.at("message").get<std::string>();
  failure.cells.clear();
  for (const auto& cell : in.at("cells"))
    failure.cells.push_back(
        {cell.at("sheet").get<std::string>(), cell.at("ref").get<std::string>()});
}

void to_json(nlohmann::json& out, const ReturnReport& report) {
  out = {{"file", report.file},
         {"school_code", report.school_code},
         {"school_name", report.school_name},
         {"kind", report.kind},
         {"verdict", VerdictName(report.verdict)},
         {"passed", report.verdict == Verdict::Passed},
         {"failures", report.failures},
         {"error", report.error.empty() ? nlohmann::json() : nlohmann::json(report.error)}};
}

void from_json(const nlohmann::json& in, ReturnReport& report) {
  report.file = in.at("file").get<std::string>();
  report.school_code = in.at("school_code").get<std::string>();
  report.school_name = in.at("school_name").get<std::string>();
  report.kind = in.at("kind").get<std::string>();
  report.verdict = VerdictOfName(in.at("verdict").get<std::string>());
  report.failures = in.at("failures").get<std::vector<Failure>>();
  report.error = in.at("error").is_null() ? std::string() : in.at("error").get<std::string>();
}

}  // namespace velmora::check
