// The command line from a fresh registry: install, the command-bar tree, a
// click answered from an answers file, and uninstall leaving the registry
// as it was.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "com/registry.h"
#include "tests/support/run_command.h"

namespace {

using Outcome = velmora::testing::CommandOutcome;

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velmora-cli-test-XXXXXX";
    dir = mkdtemp(pattern);
    registry = dir + "/registry.xml";
    const char* bin = std::getenv("VELMORA_BIN_DIR");
    velmora = std::string(bin ? bin : ".") + "/velmora";
  }
  Outcome Velmora(const std::string& args) {
    return velmora::testing::RunCommand("VELMORA_REGISTRY='" + registry + "' '" + velmora + "' " + args);
  }
  std::string Registry() {
    std::ifstream in(registry);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string dir, registry, velmora;
};

TEST_F(CommandLineTest, FromInstallToAClickAndBack) {
  // Something of the user's own is there before.
  setenv("VELMORA_REGISTRY", registry.c_str(), 1);
  ASSERT_EQ(com::registry::SetString(com::registry::Root::CurrentUser, u"Software\\Other", u"", u"kept"), com::S_OK);
  std::string before = Registry();
  Outcome install = Velmora("install");
  ASSERT_EQ(install.status, 0) << install.out;
  EXPECT_NE(install.out.find("Velmora.MyOutLookAddIn"), std::string::npos);

  Outcome tree = Velmora("toolbars --json");
  ASSERT_EQ(tree.status, 0) << tree.out;
  auto bars = nlohmann::json::parse(tree.out);
  const auto& toolbar = bars.back();
  EXPECT_EQ(toolbar["name"], "Kelvara");
  EXPECT_EQ(toolbar["position"], "top");
  EXPECT_EQ(toolbar["visible"], true);
  ASSERT_EQ(toolbar["controls"].size(), 4u);
  EXPECT_EQ(toolbar["controls"][0]["caption"], "校验");
  EXPECT_EQ(toolbar["controls"][0]["handler"], "ValidateClick");
  EXPECT_EQ(toolbar["controls"][3]["tag"], "查看指标解释1");
  const auto& menu = bars[0]["controls"].back();
  EXPECT_EQ(menu["caption"], "Vostrel软件");
  EXPECT_EQ(menu["controls"][0]["caption"], "Kelvara填报2010");
  EXPECT_EQ(menu["controls"][0]["controls"][5]["handler"], "AboutClick");
  EXPECT_EQ(menu["controls"][1]["handler"], "ProductInfoClick");

  std::ofstream(dir + "/answers.txt") << "click btnOK\n";
  Outcome click = Velmora("click 关于 --answers '" + dir + "/answers.txt'");
  ASSERT_EQ(click.status, 0) << click.out;
  EXPECT_NE(click.out.find("\"关于\" shown"), std::string::npos) << click.out;
  EXPECT_NE(click.out.find("> click btnOK"), std::string::npos) << click.out;
  EXPECT_NE(click.out.find("Kelvara填报2010 > 关于"), std::string::npos) << click.out;

  // With no answer the dialog is closed with its cancel button, and that is said.
  Outcome unanswered = Velmora("click 自定义报表查询11");
  ASSERT_EQ(unanswered.status, 0) << unanswered.out;
  EXPECT_NE(unanswered.out.find("no answer left"), std::string::npos) << unanswered.out;

  EXPECT_EQ(Velmora("click 没有这个按钮").status, 1);

  Outcome uninstall = Velmora("install --uninstall");
  ASSERT_EQ(uninstall.status, 0) << uninstall.out;
  EXPECT_EQ(Registry(), before);
}

}  // namespace
