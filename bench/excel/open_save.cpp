// The open-and-save measurement of the spreadsheet stand-in.
//   excel_open_save make FILE        writes the benchmark workbook: 5 sheets,
//                                    2,000 filled cells (texts, Chinese texts,
//                                    numbers, formulas), fills, unlocked cells,
//                                    merged cells, column widths, protection
//   excel_open_save run FILE [N]     opens and saves FILE N times (default 50)
//                                    and prints the median, the mean and the
//                                    process's peak memory
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "excel/xlsx/model.h"

namespace {

void Make(const std::string& path) {
  auto book = xlsx::Workbook::Create();
  const char* names[] = {"基表一", "收入", "支出", "资产", "打印"};
  for (int s = 0; s < 5; ++s) {
    auto& sheet = book->AddSheet(names[s]);
    sheet.AddMerge("A1:F1");
    sheet.SetColumnWidth(1, 1, 30);
    sheet.SetColumnWidth(2, 20, 12);
    for (int i = 0; i < 400; ++i) {
      int row = 2 + i / 10, col = 1 + i % 10;
      switch (i % 4) {
        case 0: sheet.SetValue(row, col, xlsx::Value::Text("项目" + std::to_string(i))); break;
        case 1: sheet.SetValue(row, col, xlsx::Value::Number(i * 12.5)); break;
        case 2: sheet.SetValue(row, col, xlsx::Value::Text("0" + std::to_string(i))); break;
        case 3: sheet.SetFormula(row, col, xlsx::CellName(row, col - 1) + "*2", xlsx::Value::Number(i * 2.0)); break;
      }
      if (i % 7 == 0) {
        sheet.SetLocked(row, col, false);
        sheet.SetColorIndex(row, col, 15);
      }
    }
    sheet.SetValue(40, 10, xlsx::Value::Text("J1_" + std::to_string(s + 1)));
    if (s < 4) sheet.Protect("Kq7vXr42ZpmLt");
  }
  book->Sheet(5).SetVisibility(xlsx::Visibility::Hidden);
  book->Save(path);
}

int Run(const std::string& path, int n) {
  std::vector<double> ms, cpu;
  auto cpu_now = [] {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
  };
  for (int i = 0; i < n; ++i) {
    auto start = std::chrono::steady_clock::now();
    double cpu_start = cpu_now();
    auto book = xlsx::Workbook::Load(path);
    book->Save(path);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    cpu.push_back(cpu_now() - cpu_start);
  }
  std::sort(ms.begin(), ms.end());
  std::sort(cpu.begin(), cpu.end());
  double mean = 0;
  for (double m : ms) mean += m;
  mean /= static_cast<double>(ms.size());
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("velmora_excel open+save: median %.2f ms (CPU %.2f ms), mean %.2f ms, min %.2f ms over %d runs; "
              "peak memory %.1f MB\n",
              ms[ms.size() / 2], cpu[cpu.size() / 2], mean, ms.front(), n, static_cast<double>(usage.ru_maxrss) / 1024.0);
  std::printf("median_ms=%.3f peak_mb=%.1f\n", ms[ms.size() / 2], static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc >= 3 && std::strcmp(argv[1], "make") == 0) {
      Make(argv[2]);
      return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "run") == 0) return Run(argv[2], argc >= 4 ? std::atoi(argv[3]) : 50);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "usage: excel_open_save make FILE | run FILE [N]\n");
  return 2;
}
