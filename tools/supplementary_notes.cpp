#include "tools/supplementary_notes.h"

#include "addin/text/conversions.h"
#include "platform/win/code_page.h"

namespace velmora::tools {

namespace {

const std::vector<NoteLine>& LinesOfKind1() {
  static const std::vector<NoteLine> lines = {
      {16,
       {"补充资料：1、机构数 ", " 个。"},
       {{1, 24, 4}}},
      {17,
       {"          2、年初在校学生中：博士生 ", " 人，硕士生 ", " 人，本专科生 ", " 人（其中：高职生 ", " 人)，函授夜大生 ", " 人，来华留学生 ", " 人。"},
       {{1, 25, 6}, {1, 25, 12}, {1, 25, 14}, {1, 26, 6}, {1, 26, 12}, {1, 26, 14}}},
      {18,
       {"             年末在校学生中：博士生 ", " 人，硕士生 ", " 人，本专科生 ", " 人（其中：高职生 ", " 人)，函授夜大生 ", " 人，来华留学生 ", " 人。"},
       {{1, 27, 6}, {1, 27, 12}, {1, 27, 14}, {1, 28, 6}, {1, 28, 12}, {1, 28, 14}}},
      {19,
       {"          3、年初中专学生 ", " 人，年末中专学生数 ", " 人。"},
       {{1, 29, 5}, {1, 29, 12}}},
      {20,
       {"          4、学校另有年末编制外长期聘用人员 ", " 人。\t"},
       {{1, 30, 8}}},
      {32,
       {"补充资料：5、捐赠收入中港澳台及海外捐赠 ", " 千元。"},
       {{2, 26, 6}}},
      {33,
       {"          6、事业收入中从非本级财政或其他政府部门、公办科研机构取得的用于科研的财政拨款 ", " 千元（其中：中央 ", " 千元）。"},
       {{2, 27, 9}, {2, 27, 12}}},
      {34,
       {"          7、其他收入中资产处置收入 ", " 千元，联合办学（班）收入 ", " 千元，从非本级财政或其他政府部门取得的用于农民工培训、复转军人培训、岗前培训等的财政拨款 ", " 千元（其中：中央 ", " 千元）。"},
       {{2, 28, 6}, {2, 28, 10}, {2, 29, 8}, {2, 29, 11}}},
      {70,
       {"补充资料：8、本年还本付息 ", " 千元。其中，归还本金 ", " 千元；支付利息 ", " 千元。"},
       {{4, 19, 4}, {4, 19, 8}, {4, 19, 11}}},
  };
  return lines;
}

const std::vector<NoteLine>& LinesOfKind2() {
  static const std::vector<NoteLine> lines = {
      {16,
       {"补充资料：1、机构数 ", " 个。"},
       {{1, 24, 5}}},
      {17,
       {"          2、完全中学中的年初高中学生数 ", " 人，年末高中学生数 ", " 人。"},
       {{1, 25, 7}, {1, 25, 12}}},
      {18,
       {"          3、九年一贯制学校中的年初初中学生数 ", " 人，年末初中学生数 ", " 人。"},
       {{1, 26, 8}, {1, 26, 13}}},
      {19,
       {"          4、十二年一贯制学校中的年初小学学生数 ", " 人，年末小学学生数 ", " 人，年初初中学生数 ", " 人，年末初中学生数 ", " 人。"},
       {{1, 27, 8}, {1, 27, 13}, {1, 28, 5}, {1, 28, 9}}},
      {20,
       {"          5、党校、行政学院、社会主义学院、国家会计学院中一年以下培训人数 ", " 人。"},
       {{1, 29, 11}}},
      {29,
       {"补充资料：6、捐赠收入中港澳台及海外捐赠 ", " 千元；农村捐赠收入 ", " 千元。"},
       {{2, 22, 6}, {2, 22, 10}}},
      {30,
       {"          7、其他收入中资产处置收入 ", " 千元，联合办学（班）收入 ", " 千元，从非本级财政或其他政府部门取得的用于农民工培训、复转军人培训、岗前培训等的财政拨款 ", " 千元。"},
       {{2, 23, 5}, {2, 23, 9}, {2, 24, 9}}},
      {68,
       {"补充资料：8、本年还本付息 ", " 千元。其中，归还本金 ", " 千元；支付利息 ", " 千元。"},
       {{4, 19, 4}, {4, 19, 8}, {4, 19, 11}}},
  };
  return lines;
}

const std::vector<NoteLine>& LinesOfKind3() {
  static const std::vector<NoteLine> lines = {
      {16,
       {"补充资料：1、机构数 ", " 个。"},
       {{1, 24, 4}}},
      {17,
       {"          2、高等学校年初在校学生中：博士生 ", " 人，硕士生 ", " 人，本专科生 ", " 人（其中：高职生 ", " 人），函授夜大生 ", " 人，来华留学生 ", " 人。"},
       {{1, 25, 8}, {1, 25, 13}, {1, 25, 17}, {1, 26, 7}, {1, 26, 13}, {1, 26, 17}}},
      {18,
       {"             高等学校年末在校学生中：博士生 ", " 人，硕士生 ", " 人，本专科生 ", " 人（其中：高职生 ", " 人），函授夜大生 ", " 人，来华留学生 ", " 人。"},
       {{1, 27, 8}, {1, 27, 13}, {1, 27, 17}, {1, 28, 7}, {1, 28, 13}, {1, 28, 17}}},
      {19,
       {"          3、高等学校中的年初中专学生数 ", " 人，年末中专学生数 ", " 人。"},
       {{1, 29, 7}, {1, 29, 14}}},
      {20,
       {"          4、完全中学中的年初高中学生数 ", " 人，年末高中学生数 ", " 人。"},
       {{1, 30, 7}, {1, 30, 14}}},
      {21,
       {"          5、九年一贯制学校中的年初初中学生数 ", " 人，年末初中学生数 ", " 人。"},
       {{1, 31, 9}, {1, 31, 15}}},
      {22,
       {"          6、十二年一贯制学校中的年初小学学生数 ", " 人，年末小学学生数 ", " 人；年初初中学生数 ", " 人，年末初中学生数 ", " 人。"},
       {{1, 32, 9}, {1, 32, 15}, {1, 33, 5}, {1, 33, 12}}},
      {30,
       {"补充资料：7、捐赠收入中港澳台及海外捐赠 ", " 千元。"},
       {{2, 22, 6}}},
      {31,
       {"          8、事业收入中从政府部门、公办科研机构取得的用于科研的财政拨款 ", " 千元。"},
       {{2, 23, 8}}},
      {32,
       {"          9、其他收入中资产处置收入 ", " 千元，联合办学（班）收入 ", " 千元，从政府部门取得的用于农民工培训、复转军人培训、岗前培训等的财政拨款 ", " 千元。"},
       {{2, 24, 5}, {2, 24, 8}, {2, 25, 7}}},
      {68,
       {"补充资料：10、本年还本付息 ", " 千元。其中，归还本金 ", " 千元；支付利息 ", " 千元。"},
       {{4, 19, 4}, {4, 19, 8}, {4, 19, 11}}},
  };
  return lines;
}
}  // namespace

const std::vector<NoteLine>& NoteLines(base_table::Kind kind) {
  static const std::vector<NoteLine> none;
  switch (kind) {
    case base_table::Kind::One: return LinesOfKind1();
    case base_table::Kind::Two: return LinesOfKind2();
    case base_table::Kind::Three: return LinesOfKind3();
    case base_table::Kind::None: break;
  }
  return none;
}

std::string ReadNoteValue(const workbook::Application& excel, int worksheet, int row, int column) {
  const std::string text = CellText(excel.Worksheets(worksheet).Value(row, column));
  return text.empty() ? std::string(6, ' ') : "  " + text;
}

std::string NoteText(const workbook::Application& excel, const NoteLine& line) {
  std::string text = win::Utf8ToAnsi(line.texts[0]);
  for (std::size_t i = 0; i < line.values.size(); ++i) {
    const NoteCell& cell = line.values[i];
    text += ReadNoteValue(excel, cell.worksheet, cell.row, cell.column);
    text += win::Utf8ToAnsi(line.texts[i + 1]);
  }
  return text;
}

void WriteNotes(const workbook::Application& excel, base_table::Kind kind) {
  const std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) return;
  const workbook::Worksheet print = book->Sheet(base_table::kPrintSheet);
  book->Save();
  base_table::UnprotectedSheet guard(print);
  for (const NoteLine& line : NoteLines(kind)) print.Write(line.row, 2, NoteText(excel, line));
  guard.Protect();
}

}  // namespace velmora::tools
