// velmora demo [--dir DIR]: walks a school's year on the bundled sample data
// in a fresh folder, in one session of the spreadsheet host with the add-in
// (host/demo): the school picked and its workbook made, the figures typed,
// validated, the first failure double-clicked and switched through,
// corrected until "提示：交验全部通过！", the print preview at A4 and the
// indicator explanation of a total cell. Every step prints what the user
// sees. DIR is made when missing and must be empty; without it the folder
// is ./velmora-demo-YYYYMMDD-HHMMSS. Ends with the files made. Exit status 0
// when the return passed at the end, 1 when it did not, 2 when the walk could
// not be done.
#include <chrono>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "../command_registry.h"
#include "addin/text/module_directory.h"
#include "host/demo/school_year.h"
#include "platform/win/code_page.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

std::string DefaultFolder() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  char name[64];
  std::strftime(name, sizeof name, "velmora-demo-%Y%m%d-%H%M%S", &local);
  return name;
}

int Demo(std::string folder) {
  if (folder.empty()) folder = DefaultFolder();
  std::error_code error;
  fs::create_directories(folder, error);
  if (error || !fs::is_directory(folder)) {
    std::cerr << "velmora demo: the folder " << folder << " cannot be made: " << error.message()
              << "\n";
    return 2;
  }
  if (!fs::is_empty(folder)) {
    std::cerr << "velmora demo: the folder " << folder
              << " is not empty; the walk needs a fresh one\n";
    return 2;
  }
  folder = fs::absolute(folder).lexically_normal().string();
  const std::string data_dir = win::AnsiToUtf8(getFilePath());
  std::cout << "velmora " VELMORA_VERSION ": a school's year, walked in " << folder << "\n"
            << "the data files beside the add-in: " << data_dir << "\n";

  demo::WalkResult result;
  try {
    result = demo::WalkSchoolYear(demo::SampleSchool(), folder, data_dir, std::cout);
  } catch (const std::exception& failure) {
    std::cout.flush();
    std::cerr << "velmora demo: " << failure.what() << "\n";
    return 2;
  }

  std::cout << "\n== summary\n"
            << (result.passed ? "the return passed validation: 提示：交验全部通过！\n"
                              : "the return did not pass validation\n")
            << "files made in " << folder << ":\n";
  for (const std::string& file : result.files)
    std::cout << "  " << fs::path(file).filename().string() << " (" << fs::file_size(file)
              << " bytes)\n";
  std::cout << "and beside the add-in: " << data_dir << "info.txt, the last school's information\n"
            << "look again: velmora show '" << result.files.front() << "' --sheet 1\n";
  return result.passed ? 0 : 1;
}

const Registration demo{
    "demo", [](CLI::App& app) {
      auto* cmd = app.add_subcommand(
          "demo", "Walk a school's year on the bundled sample data, in a fresh folder");
      static std::string folder;
      cmd->add_option("--dir", folder,
                      "The folder to work in (made when missing, must be empty); "
                      "default ./velmora-demo-YYYYMMDD-HHMMSS");
      cmd->callback([] { SetExitStatus(Demo(folder)); });
    }};

}  // namespace
}  // namespace velmora::cli
