#pragma once
// The scalar types of the component object model, sized as on the platform.
#include <cstdint>

namespace com {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using USHORT = std::uint16_t;
using SCODE = std::int32_t;
using DISPID = std::int32_t;
using MEMBERID = DISPID;
using LCID = std::uint32_t;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;  // -1 true, 0 false
using DATE = double;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;  // length-prefixed UTF-16; null means the empty string

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

inline constexpr LCID LOCALE_NEUTRAL = 0;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x800;

}  // namespace com
