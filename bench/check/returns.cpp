// The returns of the check benchmark, and the check of its report.
//
//   check_bench_returns make SAMPLES_DIR OUT_DIR COUNT
//     COUNT returns in folders of 100 (county_00/return_0000.xlsx ...), the
//     six samples in turn; every 250th file from the 7th on is no workbook,
//     from the 87th on has a negative figure (a clean return of kind 1 with
//     -3200 in E12 of sheet 4), from the 167th on has an empty A40. What
//     each should be reported as goes to OUT_DIR/expected.json.
//   check_bench_returns verify OUT_DIR REPORT.json
//     exit status 0 when the report gives every return its expected verdict
//     (and the broken ones their error); the differences otherwise.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

#include "excel/xlsx/model.h"

namespace fs = std::filesystem;

namespace {

struct Expected {
  std::string verdict, error;  // error: a part of the report's error, or empty
};

int Make(const std::string& samples, const std::string& out, int count) {
  const char* names[] = {"jb1_clean",    "jb1_mistakes", "jb2_clean",
                         "jb2_mistakes", "jb3_clean",    "jb3_mistakes"};
  nlohmann::json expected = nlohmann::json::object();
  for (int i = 0; i < count; ++i) {
    char relative[64];
    std::snprintf(relative, sizeof relative, "county_%02d/return_%04d.xlsx", i / 100, i);
    const fs::path path = fs::path(out) / relative;
    fs::create_directories(path.parent_path());
    const std::string sample = names[i % 6];
    Expected e{sample.ends_with("clean") ? "passed" : "failed", ""};
    if (i % 250 == 7) {
      std::ofstream(path) << "a scanned letter, not a workbook\n";
      e = {"error", "cannot be opened"};
    } else if (i % 250 == 87 || i % 250 == 167) {
      auto book = xlsx::Workbook::Load(fs::path(samples) / "jb1_clean.xlsx");
      if (i % 250 == 87) {
        book->Sheet(4).SetValue(12, 5, xlsx::Value::Number(-3200));
        e = {"error", "填报数据只能为正整数,请检查填报的数据！12,5"};
      } else {
        book->Sheet(1).SetValue(40, 1, xlsx::Value::Text(""));
        e = {"error", "A40 is empty"};
      }
      book->Save(path.string());
    } else {
      fs::copy_file(fs::path(samples) / (sample + ".xlsx"), path,
                    fs::copy_options::overwrite_existing);
    }
    expected[path.string()] = {{"verdict", e.verdict}, {"error", e.error}};
  }
  std::ofstream(fs::path(out) / "expected.json") << expected.dump(1) << "\n";
  return 0;
}

int Verify(const std::string& out, const std::string& report_file) {
  const nlohmann::json expected =
      nlohmann::json::parse(std::ifstream(fs::path(out) / "expected.json"));
  const nlohmann::json report = nlohmann::json::parse(std::ifstream(report_file));
  std::map<std::string, nlohmann::json> found;
  for (const auto& entry : report["returns"]) found[entry["file"].get<std::string>()] = entry;
  int wrong = 0, broken = 0;
  for (const auto& [file, e] : expected.items()) {
    const auto it = found.find(file);
    if (it == found.end()) {
      std::cout << "not in the report: " << file << "\n";
      ++wrong;
      continue;
    }
    const std::string error =
        it->second["error"].is_string() ? it->second["error"].get<std::string>() : "";
    const std::string part = e["error"];
    if (!part.empty()) ++broken;
    if (it->second["verdict"] != e["verdict"] ||
        (!part.empty() && error.find(part) == std::string::npos)) {
      std::cout << "wrong: " << file << " reported " << it->second["verdict"] << " " << error
                << ", expected " << e["verdict"] << " " << part << "\n";
      ++wrong;
    }
  }
  if (found.size() != expected.size()) {
    std::cout << "the report has " << found.size() << " returns, " << expected.size()
              << " were made\n";
    ++wrong;
  }
  std::cout << (wrong ? "report WRONG: " : "report as expected: ") << expected.size()
            << " returns, " << broken << " of them broken, " << wrong << " wrong\n";
  return wrong ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "make" && argc == 5) return Make(argv[2], argv[3], std::stoi(argv[4]));
  if (mode == "verify" && argc == 4) return Verify(argv[2], argv[3]);
  std::cerr
      << "usage: check_bench_returns make SAMPLES_DIR OUT_DIR COUNT | verify OUT_DIR REPORT.json\n";
  return 2;
}
