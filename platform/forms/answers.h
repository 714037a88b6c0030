#pragma once
// The answers file of the scripted driver: one answer a line, in the order
// the user gives them; texts in UTF-8. Blank lines and lines starting with
// "#" are skipped.
//
//   set NAME TEXT       select the edit box's text and type TEXT over it (no TEXT: delete it)
//   type NAME TEXT      type TEXT at the end of the edit box's text
//   pick NAME ITEM      choose ITEM in the drop-down list
//   click NAME          click the button
//   dblclick NAME [ROW] double-click the grid's ROW (1-based, of the rows shown; none: where it is)
//   wheel NAME DELTA    turn the mouse wheel over the grid (-120: one notch towards the user)
//   close               press the form's close box
//   key enter|escape    press Enter (clicks the default button) or Escape (the cancel button)
//   save [PATH]         answer a save-file dialog with PATH (none: the name it proposes)
//   cancel              cancel a save-file dialog
//   box ANSWER          answer a message box: ok, cancel, yes, no, abort, retry or ignore
//
// TEXT and ITEM are the rest of the line after one blank; written in double
// quotes ("  12 "), the text between the quotes is taken as it is.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

struct AnswerLine {
  enum class Verb { Set, Type, Pick, Click, DblClick, Wheel, Close, Key, Save, Cancel, Box };
  Verb verb;
  std::string control;  // set, type, pick, click, dblclick, wheel
  std::string text;     // set, type, pick; save (empty: the proposed name); key; box
  int number = 0;       // dblclick (0: no row given), wheel
  int line = 0;         // 1-based line of the file
  std::string source;   // the line as written

  // An answer for the form on screen (not for a save dialog or a box).
  bool ForForm() const;
  bool ForSaveDialog() const { return verb == Verb::Save || verb == Verb::Cancel; }
  bool ForMessageBox() const { return verb == Verb::Box; }
};

// Raises std::invalid_argument naming the line for a line that is no answer.
std::vector<AnswerLine> ParseAnswers(std::string_view text);
// Reads and parses the file (a UTF-8 path); raises std::runtime_error when it
// cannot be read.
std::vector<AnswerLine> ReadAnswersFile(const std::string& path);

}  // namespace forms
