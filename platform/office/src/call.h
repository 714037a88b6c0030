#pragma once
// The frame of every command-bar operation: the fault injection of the
// spreadsheet stand-in is asked first, then the body runs under the standard
// error path (an escaping error becomes its HRESULT with error information).
#include <optional>
#include <string>
#include <string_view>

#include "com/error_info.h"
#include "com/variant.h"
#include "excel/fault.h"
#include "platform/win/code_page.h"

namespace office::detail {

inline constexpr std::u16string_view kSource = u"Office";

template <class Body>
com::HRESULT Call(std::string_view operation, const com::IID& iid, Body&& body) noexcept {
  std::int32_t code = 0;
  std::string description;
  try {
    if (excel::fault::Check(operation, code, description))
      return com::ReportError(code, iid, kSource, win::Utf8ToWide(description));
  } catch (...) {
    return com::ReportException(iid, kSource);
  }
  return com::GuardCall(iid, kSource, std::forward<Body>(body));
}

// Office's answer to an argument it cannot use.
[[noreturn]] inline void InvalidArgument(std::u16string description) {
  throw com::ComError(com::E_INVALIDARG, std::move(description), std::u16string(kSource));
}

// An optional argument converted to vt; nothing when it was omitted (the
// missing-argument variant). A value that does not convert fails the call.
std::optional<com::Variant> OptionalArgument(const com::VARIANT& argument, com::VARTYPE vt);

// ASCII letters compared without regard to case, as Office finds bars and
// controls by name.
bool SameNameNoCase(std::u16string_view a, std::u16string_view b);

}  // namespace office::detail
