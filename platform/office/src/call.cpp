#include "call.h"

namespace office::detail {

std::optional<com::Variant> OptionalArgument(const com::VARIANT& argument, com::VARTYPE vt) {
  com::Variant value;
  com::HRESULT hr = com::VariantCopyInd(&value, &argument);
  if (com::SUCCEEDED(hr) && value.IsMissing()) return std::nullopt;
  if (com::SUCCEEDED(hr)) hr = value.ChangeType(vt);
  if (com::FAILED(hr)) throw com::ComError(hr, u"Type mismatch", std::u16string(kSource));
  return value;
}

bool SameNameNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

}  // namespace office::detail
