#pragma once
// The lookup of a cell reference F1(A,Y,Z) in the position file of a table:
// "d" + table number + ".txt", one indicator a line, cut at "|" (blank
// skipped): item 0 the sheet code, item 1 the indicator id, item 2 its cell
// "row,column".
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

// The pattern of a cell reference F1(A,Y,Z), letter case respected.
inline constexpr char kCellReferencePattern[] = R"(F1\(\w+\,\w+\,\w+\))";

// Visits, in file order, every line of a position file's text (CR LF, lone CR
// or lone LF ending it) that contains both key and id, letter case ignored,
// until visit returns false. The lookup takes the first of them; the rest are
// the lines a looser or a later match would have given. visit must not look
// positions up itself (the upper-case form of the text is shared).
void ForEachLineWith(const std::string& text, std::string_view key, std::string_view id,
                     const std::function<bool(std::string_view line)>& visit);

// The cell position "sheet,row,column" of the reference, or the empty text
// when no line of the position file matches. The sheet key is A from its 3rd
// byte, the sheet number A from its 5th byte. A line matches when it contains
// the sheet key and Y anywhere, letter case ignored; the first such line
// wins. Z "1" is the indicator's own cell; any other Z is a decimal integer n
// and means the cell n-1 rows below it. The file is read on every call from
// directory (GBK, ending with "/"); a missing file raises FileError, a Z or
// row that is no integer ConversionError, a line without item 2
// ListIndexError.
std::string getCellPosition(std::string_view table, std::string_view A, std::string_view Y, std::string_view Z,
                            const std::string& directory);

}  // namespace velmora
