// Google Benchmark of the package reader and writer: open and save the
// benchmark workbook, in memory and through the safe save to a file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "excel/xlsx/model.h"

namespace {

std::string Bytes() {
  static std::string bytes = [] {
    std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/excel_bench.xlsx";
    std::string cmd = "\"" + std::string(EXCEL_OPEN_SAVE) + "\" make \"" + path + "\"";
    if (std::system(cmd.c_str()) != 0) std::abort();
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }();
  return bytes;
}

void BM_OpenSaveInMemory(benchmark::State& state) {
  std::string bytes = Bytes();
  for (auto _ : state) {
    auto book = xlsx::Workbook::LoadFromMemory(bytes, "bench.xlsx");
    benchmark::DoNotOptimize(book->SaveToMemory());
  }
}
BENCHMARK(BM_OpenSaveInMemory)->Unit(benchmark::kMillisecond);

void BM_OpenSaveFile(benchmark::State& state) {
  std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/excel_bench_file.xlsx";
  std::ofstream(path, std::ios::binary) << Bytes();
  for (auto _ : state) {
    auto book = xlsx::Workbook::Load(path);
    book->Save(path);
  }
}
BENCHMARK(BM_OpenSaveFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
