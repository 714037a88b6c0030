#pragma once
// A school's year on the bundled data, walked in one session of the
// spreadsheet host with the add-in connected, the way a user goes through
// it: the school picked from the list and its workbook made from the
// template, the figures typed, "校验" and its result list, a double-click on
// the first failure and "切换单元格" through its cells, figures corrected
// and validated again until "提示：交验全部通过！", "基表打印" at A4 and
// "查看指标解释" on a total cell. Every dialog and message box is answered
// by a scripted user and printed with what it showed.
//
//   std::string folder = ...;  // fresh
//   velmora::demo::WalkResult result =
//       velmora::demo::WalkSchoolYear(velmora::demo::SampleSchool(), folder, data_dir, std::cout);
#include <ostream>
#include <string>
#include <vector>

namespace velmora::demo {

// The school the walk plays. Texts are UTF-8.
struct School {
  std::string xxdm;         // its school code, picked from the school list
  std::string return_name;  // the file its return is saved as in the folder
  std::string typed;        // the sample return whose figures it types (samples/<typed>.xlsx)
  std::string books;        // the sample holding its right figures, which corrections copy
};

// 11069 嵩山工学院 (base table 1): it types the sample with three typical
// mistakes and corrects them from the clean one.
School SampleSchool();

struct WalkResult {
  bool passed = false;             // "提示：交验全部通过！" was shown at the end
  std::vector<std::string> files;  // the files made in the folder (UTF-8 paths)
};

// Walks the year in folder (UTF-8, an existing folder) with the data files
// of data_dir (UTF-8, the add-in's module directory, ending "/"), printing
// to out. Raises std::runtime_error (UTF-8) when a step cannot be done (no
// add-in connected, no button, no workbook written, a file that cannot be
// read).
WalkResult WalkSchoolYear(const School& school, const std::string& folder,
                          const std::string& data_dir, std::ostream& out);

}  // namespace velmora::demo
