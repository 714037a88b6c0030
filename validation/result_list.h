#pragma once
// The result list of a validation run: an in-memory client dataset with the
// string fields "校验类型" (the type, "强制" or "提示", 20 bytes), "提示信息"
// (the rule's message, 500 bytes, cut at a character boundary) and
// "CellInfo" (the cell list of the failed action, kept whole: a cut list
// would leave a cell position half there).
#include <memory>
#include <string>
#include <string_view>

#include "platform/forms/client_dataset.h"

namespace velmora {

// Field names (GBK).
const std::string& TypeField();     // "校验类型"
const std::string& MessageField();  // "提示信息"
inline constexpr char kCellInfoField[] = "CellInfo";
inline constexpr int kTypeFieldSize = 20;
inline constexpr int kMessageFieldSize = 500;

// A new, empty, open result list.
std::unique_ptr<forms::ClientDataSet> CreateResultDataSet();

// Appends one row and posts it.
void AddResultRow(std::string_view type_text, std::string_view message, std::string_view cell_list,
                  forms::ClientDataSet& results);

// Sorts the list ascending by "校验类型", which puts every "强制" row
// before every "提示" row.
void SortByType(forms::ClientDataSet& results);

// True when no row has the type "强制". Walks the list from its first row
// and leaves the cursor where it stopped.
bool CheckIsValidated(forms::ClientDataSet& results);

}  // namespace velmora
