// `velmora eval` end to end: with velscript.dll registered, the command
// reaches the engine by its ProgID as the validator does.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/win/library_loader.h"
#include "tests/support/run_command.h"

namespace {

// Calls DllRegisterServer or DllUnregisterServer of a library of the build.
bool CallExport(const std::string& library, const char* name) {
  const win::HMODULE module =
      win::LoadLibrary(std::string(std::getenv("VELMORA_BIN_DIR")) + "/" + library);
  if (!module) return false;
  auto fn = reinterpret_cast<std::int32_t (*)()>(win::GetProcAddress(module, name));
  const bool ok = fn && fn() >= 0;
  win::FreeLibrary(module);
  return ok;
}

struct CommandRun {
  std::string output;
  int status;
};

class EvalCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::filesystem::temp_directory_path() / ("script_eval_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    setenv("VELMORA_REGISTRY", (dir_ / "registry.xml").c_str(), 1);
    velmora_ = std::string(std::getenv("VELMORA_BIN_DIR")) + "/velmora";
    installed_ = CallExport("velscript.dll", "DllRegisterServer");
    velmadd_ = CallExport("velmadd.dll", "DllRegisterServer");
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }

  static std::string Quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
  }
  static CommandRun Velmora(const std::string& arguments) {
    velmora::testing::CommandOutcome run = velmora::testing::RunCommand(velmora_ + " " + arguments);
    return {run.out, run.status};
  }
  static CommandRun Eval(const std::string& expression) {
    return Velmora("eval " + Quoted(expression));
  }

  static inline std::filesystem::path dir_;
  static inline std::string velmora_;
  static inline bool installed_ = false;
  static inline bool velmadd_ = false;
};

TEST_F(EvalCommand, PrintsTheResultText) {
  ASSERT_TRUE(installed_);
  struct Case {
    const char* expression;
    const char* output;
  };
  for (const Case& c :
       {Case{"5+7=12", "True\n"}, Case{"5+7=13", "False\n"}, Case{"12.4+3.3=15.7", "True\n"},
        Case{"16=16", "True\n"}, Case{"100>=99.5", "True\n"}, Case{"1/3", "0.333333333333333\n"},
        Case{"\"统计\" & 1", "统计1\n"}, Case{"Empty", "\n"}}) {
    const CommandRun run = Eval(c.expression);
    EXPECT_EQ(run.output, c.output) << c.expression;
    EXPECT_EQ(run.status, 0) << c.expression;
  }
}

TEST_F(EvalCommand, PrintsTheErrorAndFails) {
  ASSERT_TRUE(installed_);
  struct Case {
    const char* expression;
    const char* output;
  };
  for (const Case& c :
       {Case{"12==12", "error 1002: Syntax error\n"},
        Case{"F1(JB1_1,A01,1)+1", "error 13: Type mismatch: 'F1'\n"},
        Case{"5+", "error 1002: Syntax error\n"}, Case{"12%", "error 1032: Invalid character\n"},
        Case{"1/0", "error 11: Division by zero\n"}}) {
    const CommandRun run = Eval(c.expression);
    EXPECT_EQ(run.output, c.output) << c.expression;
    EXPECT_EQ(run.status, 1) << c.expression;
  }
}

TEST_F(EvalCommand, ReachesVelmaddThroughCreateObject) {
  ASSERT_TRUE(installed_);
  if (!velmadd_) GTEST_SKIP() << "velmadd.dll is not built";
  EXPECT_EQ(Eval("CreateObject(\"Velmadd.Class1\").MyAdd(2, 3)").output, "5\n");
  const CommandRun overflow = Eval("CreateObject(\"Velmadd.Class1\").MyAdd(2147483647, 1)");
  EXPECT_EQ(overflow.output, "error 6: Overflow\n");
  EXPECT_EQ(overflow.status, 1);
}

TEST_F(EvalCommand, WithoutRegistrationTheEngineCannotBeCreated) {
  ASSERT_TRUE(installed_);
  ASSERT_TRUE(CallExport("velscript.dll", "DllUnregisterServer"));
  const CommandRun run = Eval("1+1");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("0x80040154"), std::string::npos) << run.output;
  installed_ = CallExport("velscript.dll", "DllRegisterServer");
}

}  // namespace
