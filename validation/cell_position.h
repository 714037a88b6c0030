#pragma once
// The lookup of a cell reference F1(A,Y,Z) in the position file of a table:
// "d" + table number + ".txt", one indicator a line, cut at "|" (blank
// skipped): item 0 the sheet code, item 1 the indicator id, item 2 its cell
// "row,column".
#include <string>
#include <string_view>

namespace velmora {

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
