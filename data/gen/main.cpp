// velmora_data_gen: writes the workbook templates and the sample returns.
//   velmora_data_gen template LAYOUT OUT
//   velmora_data_gen sample LAYOUT FIGURES TEXT_DIR OUT
#include <filesystem>
#include <iostream>
#include <string>

#include "build.h"

int main(int argc, char** argv) {
  try {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "template" && argc == 4) {
      velmora::data::BuildTemplate(velmora::data::ReadLayout(argv[2]))->Save(argv[3]);
      return 0;
    }
    if (mode == "sample" && argc == 6) {
      std::filesystem::create_directories(std::filesystem::path(argv[5]).parent_path());
      velmora::data::BuildSample(velmora::data::ReadLayout(argv[2]), argv[3], argv[4])->Save(argv[5]);
      return 0;
    }
    std::cerr << "usage: velmora_data_gen template LAYOUT OUT\n"
                 "       velmora_data_gen sample LAYOUT FIGURES TEXT_DIR OUT\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "velmora_data_gen: " << e.what() << "\n";
    return 1;
  }
}
