// velmora validate end to end: the process starts, the host loads the
// add-in, opens a base table of kind 1, the validate command saves it and
// the dialog runs 300 rules of three cell references each (every reference
// a look-up in the position file and two reads of its cell, every rule a
// new script engine), writes the flag, and the process exits.
//
// The rule set is synthetic, so the benchmark runs from an installation of
// its own: the shipped files copied into a temporary folder, "1.txt" and
// "d1.txt" replaced, the servers registered into a temporary registry.
//
//   build/bench/validation_bench --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>

#include "excel/xlsx/model.h"

namespace fs = std::filesystem;

namespace {

std::string Gbk(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string out(utf8.size() * 2 + 1, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t in_left = utf8.size(), out_left = out.size();
  char* o = out.data();
  iconv(cd, &in, &in_left, &o, &out_left);
  iconv_close(cd);
  out.resize(out.size() - out_left);
  return out;
}

class Installation {
 public:
  Installation() {
    char pattern[] = "/tmp/validation_bench.XXXXXX";
    dir_ = mkdtemp(pattern);
    fs::copy(VELMORA_BIN_DIR, dir_, fs::copy_options::recursive);
    WriteRules();
    setenv("VELMORA_REGISTRY", (dir_ + "/registry.xml").c_str(), 1);
    if (Run("install > /dev/null") != 0) throw std::runtime_error("velmora install failed");
    // The clean sample of base table 1 as the school's workbook, its cells
    // D10..O34 of the first sheet filled in so that every rule holds.
    auto book = xlsx::Workbook::Load(dir_ + "/samples/jb1_clean.xlsx");
    book->Sheet(1).SetValue(40, 2, xlsx::Value::Text(""));
    book->Save(dir_ + "/school.xlsx");
    original_ = dir_ + "/school.xlsx";
  }
  ~Installation() { fs::remove_all(dir_); }

  int Run(const std::string& arguments) const {
    const int status = std::system((dir_ + "/velmora " + arguments).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& Workbook() const { return original_; }

 private:
  // 300 rules over 900 indicators: each rule reads three of them and
  // holds for any figures (the sum of three non-negative numbers is not
  // negative); one in ten is conditional.
  void WriteRules() {
    std::ofstream positions(dir_ + "/d1.txt", std::ios::binary);
    for (int i = 0; i < 900; ++i)
      positions << "J1_1|X" << 1000 + i << "|" << 10 + i % 12 << "," << 4 + i / 12 % 4 << "|" << Gbk("合成指标") << "\r\n";
    std::ofstream rules(dir_ + "/1.txt", std::ios::binary);
    for (int r = 0; r < 300; ++r) {
      std::string refs;
      for (int k = 0; k < 3; ++k) refs += (k ? "+" : "") + std::string("F1(JB1_1,X") + std::to_string(1000 + 3 * r + k) + ",1)";
      const std::string expression =
          r % 10 == 0 ? "WHEN(" + refs + ">=0)|=(" + refs + "+0.5>=0);" : "=(" + refs + ">=0)";
      rules << Gbk("合成规则") << r << ",1-" << r << ",1,\"" << expression << "\"\r\n";
    }
  }

  std::string dir_, original_;
};

double ChildrenCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Wall time per run, and the processor time the velmora process took
// ("cpu_ms": what the run costs when the machine is not shared).
void BM_ValidateEndToEnd(benchmark::State& state) {
  static Installation installation;
  const double cpu_before = ChildrenCpuMs();
  for (auto _ : state) {
    const int status = installation.Run("validate " + installation.Workbook() + " > /dev/null");
    if (status != 0) {
      state.SkipWithError("velmora validate did not pass the synthetic rule set");
      break;
    }
  }
  state.counters["cpu_ms"] = benchmark::Counter((ChildrenCpuMs() - cpu_before) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ValidateEndToEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
