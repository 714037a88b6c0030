// Fuzz target of the package reader: any bytes either load as a workbook
// (which then saves and loads again) or are refused with xlsx::Error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "excel/xlsx/model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  xlsx::Limits limits;
  limits.max_part_size = 4u << 20;
  limits.max_total_size = 16u << 20;
  try {
    auto book = xlsx::Workbook::LoadFromMemory(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.xlsx",
                                               limits);
    for (int i = 1; i <= book->SheetCount(); ++i) {
      auto& s = book->Sheet(i);
      int r1, c1, r2, c2;
      if (s.UsedRange(r1, c1, r2, c2)) {
        (void)s.Locked(r1, c1);
        (void)s.ColorIndex(r2, c2);
        (void)s.NumberFormat(r1, c2);
      }
    }
    std::string again = book->SaveToMemory();
    auto second = xlsx::Workbook::LoadFromMemory(again, "fuzz.xlsx");
    if (second->SheetCount() != book->SheetCount()) __builtin_trap();
  } catch (const xlsx::Error&) {
  }
  return 0;
}
