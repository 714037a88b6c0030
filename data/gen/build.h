#pragma once
// Builds a workbook template from its layout, and a sample return from a
// template and a figures file (see data/README.md for both formats).
#include <memory>
#include <string>

#include "excel/xlsx/model.h"
#include "layout.h"

namespace velmora::data {

std::unique_ptr<xlsx::Workbook> BuildTemplate(const Layout& layout);

// The template filled as the add-in and a school would have left it: the
// information string in A40, E40 and T40, the header cells, the lock lists
// named by the figures file applied, and the figures typed in. text_dir holds
// the lock lists. Throws std::runtime_error for a figure outside an input cell
// or in a cell locked for the school.
std::unique_ptr<xlsx::Workbook> BuildSample(const Layout& layout, const std::string& figures_path,
                                            const std::string& text_dir);

}  // namespace velmora::data
