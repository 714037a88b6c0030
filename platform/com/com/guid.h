#pragma once
// GUID: the 128-bit identifier of interfaces (IID), classes (CLSID) and type
// libraries (LIBID), in the platform's layout, written as
// "{D017DDB8-DFD7-4E89-9465-F5FB4BAB4799}".
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "com/hresult.h"

namespace com {

struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};

  friend constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
      if (a.Data4[i] != b.Data4[i]) return false;
    return true;
  }
  friend constexpr bool operator<(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1) return a.Data1 < b.Data1;
    if (a.Data2 != b.Data2) return a.Data2 < b.Data2;
    if (a.Data3 != b.Data3) return a.Data3 < b.Data3;
    for (int i = 0; i < 8; ++i)
      if (a.Data4[i] != b.Data4[i]) return a.Data4[i] < b.Data4[i];
    return false;
  }
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFGUID = const GUID&;

inline constexpr GUID GUID_NULL{};

namespace detail {
constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace detail

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; the braces are optional.
// Letter case of the hex digits does not matter; nothing else is accepted.
constexpr std::optional<GUID> ParseGuid(std::string_view text) {
  if (text.size() == 38) {
    if (text.front() != '{' || text.back() != '}') return std::nullopt;
    text = text.substr(1, 36);
  }
  if (text.size() != 36) return std::nullopt;
  std::uint8_t bytes[16] = {};
  std::size_t n = 0;
  for (std::size_t i = 0; i < 36;) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i] != '-') return std::nullopt;
      ++i;
      continue;
    }
    int hi = detail::HexDigit(text[i]), lo = detail::HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
    i += 2;
  }
  GUID g;
  g.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
            (std::uint32_t{bytes[2]} << 8) | bytes[3];
  g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
  return g;
}

// A GUID from a literal known at compile time; a malformed literal does not compile.
consteval GUID MakeGuid(std::string_view text) {
  auto g = ParseGuid(text);
  if (!g) throw "malformed GUID literal";
  return *g;
}

// "{D017DDB8-DFD7-4E89-9465-F5FB4BAB4799}", upper case, as the registry holds it.
std::string GuidToString(const GUID& guid);
std::u16string GuidToWide(const GUID& guid);

// The platform's calls: S_OK, or CO_E_CLASSSTRING for a malformed text (E_POINTER for null).
HRESULT IIDFromString(const OLECHAR* text, IID* iid);
HRESULT CLSIDFromString(const OLECHAR* text, CLSID* clsid);
// Writes "{...}" and a terminating 0 into buffer; returns the characters
// written including the 0, or 0 when max (39 needed) is too small.
int StringFromGUID2(const GUID& guid, OLECHAR* buffer, int max);

struct GuidHash {
  std::size_t operator()(const GUID& g) const noexcept {
    std::uint64_t a = (std::uint64_t{g.Data1} << 32) | (std::uint64_t{g.Data2} << 16) | g.Data3;
    std::uint64_t b = 0;
    for (int i = 0; i < 8; ++i) b = (b << 8) | g.Data4[i];
    return std::hash<std::uint64_t>{}(a ^ (b * 0x9E3779B97F4A7C15ull));
  }
};

}  // namespace com
