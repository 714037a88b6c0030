// Edit boxes, drop-down lists and memos as the dialogs rely on them.
#include <gtest/gtest.h>

#include "platform/forms/combo_box.h"
#include "platform/forms/controls.h"
#include "platform/forms/edit.h"
#include "test_support.h"

namespace forms {
namespace {

using testing::G;

// MaxLength counts GBK bytes: a Chinese character is two, and one that would
// cross the limit is refused whole.
struct MaxLengthCase {
  int max_length;
  const char* typed;     // UTF-8
  const char* expected;  // UTF-8
  friend void PrintTo(const MaxLengthCase& c, std::ostream* out) { *out << c.max_length << " bytes, " << c.typed; }
};

class FormsEditMaxLength : public ::testing::TestWithParam<MaxLengthCase> {};

TEST_P(FormsEditMaxLength, CountsBytesAndRefusesACharacterThatCrossesTheLimit) {
  Edit edit("txt");
  edit.MaxLength = GetParam().max_length;
  edit.UserType(G(GetParam().typed), true);
  EXPECT_EQ(edit.Text(), G(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Forms, FormsEditMaxLength,
                         ::testing::Values(MaxLengthCase{5, "1234567", "12345"},
                                           MaxLengthCase{4, "学校代码", "学校"},      // exactly at the limit
                                           MaxLengthCase{3, "学校", "学"},            // the second would need 4
                                           MaxLengthCase{3, "1学校", "1学"},          // 1 + 2 = 3
                                           MaxLengthCase{4, "123学", "123"},          // 3 + 2 > 4: refused
                                           MaxLengthCase{4, "123学4", "1234"},        // later characters still fit
                                           MaxLengthCase{1, "学", ""},                // not even one fits
                                           MaxLengthCase{0, "不限长度的文本", "不限长度的文本"}));

TEST(FormsEdit, OnChangeFiresForTheProgramsOwnChangeButNotForTheSameText) {
  Edit edit("txtxxdm");
  std::vector<std::string> seen;
  edit.OnChange = [&](Component& sender) { seen.push_back(static_cast<Edit&>(sender).Text()); };
  edit.SetText("12345");
  edit.SetText("12345");
  edit.SetText("");
  EXPECT_EQ(seen, (std::vector<std::string>{"12345", ""}));
}

TEST(FormsEdit, TheProgramIsNotLimitedByMaxLength) {
  Edit edit("txtYear");
  edit.MaxLength = 4;
  edit.SetText("201012");
  EXPECT_EQ(edit.Text(), "201012");
}

// The region code box keeps digits, "." and backspace: a handler that sets
// the key to '\0' discards it, and a double-byte character goes with either byte.
TEST(FormsEdit, OnKeyPressCanDiscardAKey) {
  Edit edit("txtdqdm");
  std::vector<std::string> changes;
  int key_ups = 0;
  edit.OnKeyPress = [](Component&, char& key) {
    if (!((key >= '0' && key <= '9') || key == '.' || key == '\b')) key = '\0';
  };
  edit.OnChange = [&](Component&) { changes.push_back(edit.Text()); };
  edit.OnKeyUp = [&](Component&, std::uint16_t&, unsigned) { ++key_ups; };

  edit.UserType(G("1a2.学3"), true);
  EXPECT_EQ(edit.Text(), "12.3");
  EXPECT_EQ(changes, (std::vector<std::string>{"1", "12", "12.", "12.3"}));
  EXPECT_EQ(key_ups, 6);  // every key goes up, kept or not

  edit.UserType("x", true);  // nothing gets through: the old text stays
  EXPECT_EQ(edit.Text(), "12.3");
  edit.UserType("7", false);  // typed at the end
  EXPECT_EQ(edit.Text(), "12.37");
}

TEST(FormsEdit, KeyPressCanReplaceTheKey) {
  Edit edit("e");
  edit.OnKeyPress = [](Component&, char& key) {
    if (key >= 'a' && key <= 'z') key = static_cast<char>(key - 'a' + 'A');
  };
  edit.UserType("ab1", true);
  EXPECT_EQ(edit.Text(), "AB1");
}

TEST(FormsEdit, AReadOnlyBoxIgnoresTypingButStillSeesTheKeys) {
  Edit edit("txtYear");
  edit.ReadOnly = true;
  edit.SetText("2010");
  int presses = 0;
  bool changed = false;
  edit.OnKeyPress = [&](Component&, char&) { ++presses; };
  edit.OnChange = [&](Component&) { changed = true; };
  edit.UserType("1999", true);
  edit.UserType("", true);
  EXPECT_EQ(edit.Text(), "2010");
  EXPECT_EQ(presses, 4);
  EXPECT_FALSE(changed);
}

TEST(FormsEdit, ReplacingWithNothingDeletesTheText) {
  Edit edit("edt1");
  edit.SetText("12");
  std::uint16_t last_key = 0;
  edit.OnKeyUp = [&](Component&, std::uint16_t& key, unsigned) { last_key = key; };
  edit.UserType("", true);
  EXPECT_EQ(edit.Text(), "");
  EXPECT_EQ(last_key, VK_DELETE);
}

TEST(FormsComboBox, OnChangeFiresOnTheUsersChoiceOnly) {
  ComboBox combo("cblsgx");
  int changes = 0;
  combo.OnChange = [&](Component&) { ++changes; };
  combo.SetItems({G("中央部门办学"), G("地方教育部门办学")});
  combo.SetItemIndex(1);
  combo.Clear();
  combo.AddItem(G("中央企业办学"));
  combo.SetItemIndex(0);
  EXPECT_EQ(changes, 0);

  combo.UserPick(0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(combo.Text(), G("中央企业办学"));
}

TEST(FormsComboBox, SelectionFollowsTheItems) {
  ComboBox combo("cbxxlb");
  combo.SetItems({"A3", "A4"});
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "");
  combo.SetItemIndex(combo.IndexOf("A4"));
  EXPECT_EQ(combo.Text(), "A4");
  combo.SetItemIndex(combo.IndexOf("A5"));  // not offered: nothing selected
  EXPECT_EQ(combo.ItemIndex(), -1);
  combo.SetItemIndex(1);
  combo.Clear();
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_TRUE(combo.Items().empty());
}

TEST(FormsMemo, LinesAndTextAgree) {
  RichEdit memo("txt_zbjs");
  memo.SetText("one\r\ntwo\nthree\rfour");
  EXPECT_EQ(memo.Lines(), (std::vector<std::string>{"one", "two", "three", "four"}));
  memo.SetLines({G("指标"), "", "x"});
  EXPECT_EQ(memo.Text(), G("指标") + "\r\n\r\nx");
  EXPECT_EQ(memo.Lines().size(), 3u);
}

}  // namespace
}  // namespace forms
