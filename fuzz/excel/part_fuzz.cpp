// Fuzz target of the part readers: the input replaces one part (chosen by
// its first byte: a sheet, the styles, the shared strings or the workbook)
// of a small valid package, so that the XML handling is reached without the
// zip layer refusing the bytes first.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "excel/xlsx/model.h"

namespace {

const char* const kParts[][2] = {
    {"[Content_Types].xml",
     R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="xml" ContentType="application/xml"/></Types>)"},
    {"_rels/.rels",
     R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
    {"xl/workbook.xml",
     R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="A" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
    {"xl/_rels/workbook.xml.rels",
     R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/><Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>)"},
    {"xl/styles.xml",
     R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><fills><fill><patternFill patternType="none"/></fill></fills><cellXfs><xf/><xf fillId="0"><protection locked="0"/></xf></cellXfs></styleSheet>)"},
    {"xl/sharedStrings.xml",
     R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>0050</t></si></sst>)"},
    {"xl/worksheets/sheet1.xml",
     R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="1"><c r="A1" t="s" s="1"><v>0</v></c></row></sheetData></worksheet>)"},
};

void Put16(std::string& o, unsigned v) {
  o += static_cast<char>(v & 0xFF);
  o += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& o, std::uint32_t v) {
  Put16(o, v & 0xFFFF);
  Put16(o, v >> 16);
}

// A zip of stored entries.
std::string Store(const std::vector<std::pair<std::string, std::string>>& parts) {
  std::string out, central;
  for (const auto& [name, data] : parts) {
    auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    auto offset = static_cast<std::uint32_t>(out.size());
    Put32(out, 0x04034B50); Put16(out, 20); Put16(out, 0); Put16(out, 0); Put16(out, 0); Put16(out, 33);
    Put32(out, crc); Put32(out, static_cast<std::uint32_t>(data.size())); Put32(out, static_cast<std::uint32_t>(data.size()));
    Put16(out, static_cast<unsigned>(name.size())); Put16(out, 0);
    out += name;
    out += data;
    Put32(central, 0x02014B50); Put16(central, 20); Put16(central, 20); Put16(central, 0); Put16(central, 0);
    Put16(central, 0); Put16(central, 33); Put32(central, crc); Put32(central, static_cast<std::uint32_t>(data.size()));
    Put32(central, static_cast<std::uint32_t>(data.size())); Put16(central, static_cast<unsigned>(name.size()));
    Put16(central, 0); Put16(central, 0); Put16(central, 0); Put16(central, 0); Put32(central, 0); Put32(central, offset);
    central += name;
  }
  auto at = static_cast<std::uint32_t>(out.size());
  out += central;
  Put32(out, 0x06054B50); Put16(out, 0); Put16(out, 0);
  Put16(out, static_cast<unsigned>(parts.size())); Put16(out, static_cast<unsigned>(parts.size()));
  Put32(out, static_cast<std::uint32_t>(central.size())); Put32(out, at); Put16(out, 0);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const std::size_t kChoices[] = {2, 4, 5, 6};
  std::size_t replaced = kChoices[data[0] % 4];
  std::vector<std::pair<std::string, std::string>> parts;
  for (std::size_t i = 0; i < sizeof kParts / sizeof *kParts; ++i)
    parts.emplace_back(kParts[i][0], i == replaced ? std::string(reinterpret_cast<const char*>(data + 1), size - 1)
                                                   : std::string(kParts[i][1]));
  try {
    auto book = xlsx::Workbook::LoadFromMemory(Store(parts), "fuzz.xlsx");
    for (int i = 1; i <= book->SheetCount(); ++i) {
      auto& s = book->Sheet(i);
      if (!s.IsWorksheet()) continue;
      (void)s.Locked(1, 1);
      (void)s.ColorIndex(1, 1);
      s.SetValue(2, 2, xlsx::Value::Text("x"));
      s.SetColorIndex(2, 2, 38);
      s.SetLocked(2, 2, false);
      s.Select(2, 2, 3, 3);
    }
    std::string again = book->SaveToMemory();
    auto second = xlsx::Workbook::LoadFromMemory(again, "fuzz.xlsx");
    if (second->SheetCount() != book->SheetCount()) __builtin_trap();
  } catch (const xlsx::Error&) {
  }
  return 0;
}
