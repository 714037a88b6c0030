#pragma once
// The item-splitting rule by which every text file and every cell holding
// several values is cut into items. Texts are GBK byte strings.
//
//  - The text ends at its first NUL byte.
//  - At the start of an item every skip character, CR and LF is passed over.
//  - The item runs up to (not including) the next separator, CR, LF or the end
//    of the text; a single or double quote opens a quoted stretch up to the
//    next quote of the same kind (or the end), inside which separators, CR
//    and LF do not end the item. The quotes stay in the item.
//  - Empty items are dropped: two separators in a row count as one.
//  - Characters are stepped over whole: the second byte of a double-byte
//    character is never a separator, a skip character or a quote. Trailing
//    blanks stay in the item.
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// separators and skipped are sets of single-byte characters.
std::vector<std::string> SplitItems(std::string_view text, std::string_view separators,
                                    std::string_view skipped);

}  // namespace velmora
