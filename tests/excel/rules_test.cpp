// Excel's rules on a protected sheet, as a table; typed texts and "@" cells.
#include <gtest/gtest.h>

#include <functional>

#include "excel/rules.h"

using namespace excel;
using xlsx::Value;
using xlsx::ValueType;

namespace {

struct Book {
  std::unique_ptr<xlsx::Workbook> book = xlsx::Workbook::Create();
  xlsx::Worksheet& sheet = book->AddSheet("S");
  SheetSession session;
  Book() {
    sheet.SetLocked(2, 2, false);  // B2 is an input cell
    sheet.SetValue(1, 1, Value::Number(1));
  }
};

struct Case {
  const char* what;
  bool protect;
  bool user_interface_only;
  std::function<void(Book&)> act;
  const char* refusal;  // null: accepted
};

}  // namespace

TEST(ProtectionRules, Table) {
  const std::string value_refused = UnableToSet("Value", "Range");
  const Case cases[] = {
      {"automation writes a locked cell of a protected sheet", true, false,
       [](Book& s) { WriteText(s.sheet, s.session, 1, 1, "5", Actor::Automation); },
       "Unable to set the Value property of the Range class"},
      {"the user types into a locked cell", true, false,
       [](Book& s) { WriteText(s.sheet, s.session, 1, 1, "5", Actor::User); }, kProtectedCellMessage},
      {"an unlocked cell accepts values", true, false,
       [](Book& s) { WriteText(s.sheet, s.session, 2, 2, "5", Actor::User); }, nullptr},
      {"an unprotected sheet accepts values", false, false,
       [](Book& s) { WriteText(s.sheet, s.session, 1, 1, "5", Actor::Automation); }, nullptr},
      {"Locked cannot change on a protected sheet, even of an unlocked cell", true, false,
       [](Book& s) { WriteLocked(s.sheet, s.session, 2, 2, true); },
       "Unable to set the Locked property of the Range class"},
      {"the fill cannot change on a protected sheet", true, false,
       [](Book& s) { WriteColorIndex(s.sheet, s.session, 2, 2, 38); },
       "Unable to set the ColorIndex property of the Interior class"},
      {"the number format cannot change on a protected sheet", true, false,
       [](Book& s) { WriteNumberFormat(s.sheet, s.session, 2, 2, "@"); },
       "Unable to set the NumberFormat property of the Range class"},
      {"UserInterfaceOnly lets automation write", true, true,
       [](Book& s) { WriteText(s.sheet, s.session, 1, 1, "5", Actor::Automation); }, nullptr},
      {"UserInterfaceOnly lets automation set Locked", true, true,
       [](Book& s) { WriteLocked(s.sheet, s.session, 1, 1, false); }, nullptr},
      {"UserInterfaceOnly still holds the user", true, true,
       [](Book& s) { WriteText(s.sheet, s.session, 1, 1, "5", Actor::User); }, kProtectedCellMessage},
      {"Unprotect with the wrong password", true, false,
       [](Book& s) { Unprotect(s.sheet, s.session, "kq7vxr42zpmlt"); }, kWrongPasswordMessage},
      {"Unprotect with the right password", true, false,
       [](Book& s) { Unprotect(s.sheet, s.session, "Kq7vXr42ZpmLt"); }, nullptr},
      {"Unprotect of an unprotected sheet takes any password", false, false,
       [](Book& s) { Unprotect(s.sheet, s.session, "whatever"); }, nullptr},
      {"Protect again under another password", true, false,
       [](Book& s) { Protect(s.sheet, s.session, "other", false, true, true, false); },
       "Protect method of Worksheet class failed"},
      {"Protect again under the same password", true, false,
       [](Book& s) { Protect(s.sheet, s.session, "Kq7vXr42ZpmLt", false, true, true, false); }, nullptr},
      {"row 0 is outside the sheet", false, false,
       [](Book& s) { WriteText(s.sheet, s.session, 0, 1, "5", Actor::Automation); }, kObjectDefinedMessage},
      {"column 16385 is outside the sheet", false, false,
       [](Book& s) { WriteLocked(s.sheet, s.session, 1, 16385, false); }, kObjectDefinedMessage},
      {"colour index 57 is not in the palette", false, false,
       [](Book& s) { WriteColorIndex(s.sheet, s.session, 1, 1, 57); },
       "Unable to set the ColorIndex property of the Interior class"},
      {"the user selects a locked cell when only unlocked ones may be", true, false,
       [](Book& s) { UserSelect(s.sheet, 1, 1, 1, 1); },
       kProtectedCellMessage},
      {"the user selects an unlocked cell", true, false,
       [](Book& s) { UserSelect(s.sheet, 2, 2, 2, 2); },
       nullptr},
      {"EnableSelection takes only 0, 1 and -4142", false, false, [](Book& s) { SetEnableSelection(s.sheet, 2); },
       "Unable to set the EnableSelection property of the Worksheet class"},
  };
  for (const auto& c : cases) {
    Book s;
    if (c.protect) Protect(s.sheet, s.session, "Kq7vXr42ZpmLt", false, true, true, c.user_interface_only);
    SetEnableSelection(s.sheet, 1);
    auto before = s.book->SaveToMemory();
    try {
      c.act(s);
      EXPECT_EQ(c.refusal, nullptr) << c.what << ": accepted";
    } catch (const ExcelError& e) {
      ASSERT_NE(c.refusal, nullptr) << c.what << ": refused with " << e.what();
      EXPECT_STREQ(e.what(), c.refusal) << c.what;
      EXPECT_EQ(e.hr(), kExcelError);
      EXPECT_TRUE(s.book->SaveToMemory() == before) << c.what << ": a refusal changed the workbook";
    }
  }
}

TEST(ProtectionRules, UnprotectAndProtectKeepEnableSelection) {
  Book s;
  Protect(s.sheet, s.session, "Kq7vXr42ZpmLt", false, true, true, false);
  SetEnableSelection(s.sheet, 1);
  Unprotect(s.sheet, s.session, "Kq7vXr42ZpmLt");
  EXPECT_EQ(EnableSelection(s.sheet), 1);
  Protect(s.sheet, s.session, "Kq7vXr42ZpmLt", false, true, true, false);
  EXPECT_EQ(EnableSelection(s.sheet), 1);
  EXPECT_TRUE(s.sheet.protection().Verify("Kq7vXr42ZpmLt"));
}

TEST(TypedValues, NumericTextsBecomeNumbersExceptInTextCells) {
  Book s;
  WriteText(s.sheet, s.session, 3, 1, "0050", Actor::Automation);
  EXPECT_EQ(s.sheet.GetValue(3, 1).type, ValueType::Number);
  EXPECT_EQ(s.sheet.GetValue(3, 1).number, 50);
  s.sheet.SetNumberFormat(3, 2, "@");
  WriteText(s.sheet, s.session, 3, 2, "0050", Actor::Automation);
  EXPECT_EQ(s.sheet.GetValue(3, 2).type, ValueType::Text);
  EXPECT_EQ(s.sheet.GetValue(3, 2).text, "0050");
  WriteText(s.sheet, s.session, 3, 3, "2010|12345678|1", Actor::Automation);
  EXPECT_EQ(s.sheet.GetValue(3, 3).text, "2010|12345678|1");
  WriteText(s.sheet, s.session, 3, 4, "12%", Actor::Automation);
  EXPECT_DOUBLE_EQ(s.sheet.GetValue(3, 4).number, 0.12);
  EXPECT_EQ(s.sheet.NumberFormat(3, 4), "0%");
  WriteText(s.sheet, s.session, 3, 4, "", Actor::Automation);
  EXPECT_TRUE(s.sheet.GetValue(3, 4).empty());
  WriteText(s.sheet, s.session, 3, 5, "'0050", Actor::User);
  EXPECT_EQ(s.sheet.GetValue(3, 5).text, "0050");
  WriteText(s.sheet, s.session, 3, 6, "=A1*2", Actor::Automation);
  EXPECT_EQ(s.sheet.Find(3, 6)->formula, "A1*2");
}

TEST(ErrorValues, Codes) {
  EXPECT_EQ(ErrorCode("#DIV/0!"), 2007);
  EXPECT_EQ(ErrorText(2042), "#N/A");
  EXPECT_EQ(ErrorCode("#BOGUS"), 0);
}
