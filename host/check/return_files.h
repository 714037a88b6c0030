#pragma once
// The returns under the paths given on the command line: a file is taken as
// it is (whatever its name, so that a file which is no workbook is reported
// as such), a folder is searched through its subfolders for files ending in
// ".xlsx" (any letter case). A path that does not exist is kept, and its
// check reports it. Sorted, each file once.
#include <string>
#include <vector>

namespace velmora::check {

std::vector<std::string> FindReturns(const std::vector<std::string>& paths);

}  // namespace velmora::check
