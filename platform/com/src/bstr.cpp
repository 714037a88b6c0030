#include "com/bstr.h"

#include <cstdlib>
#include <cstring>

#include "platform/win/code_page.h"

namespace com {

namespace {
constexpr std::uint32_t kMaxChars = 0x3FFFFFF0;  // bytes must fit the 32-bit prefix
}

BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t len) {
  if (len > kMaxChars) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(sizeof(std::uint32_t) + (len + 1) * sizeof(OLECHAR)));
  if (!block) return nullptr;
  std::uint32_t bytes = len * sizeof(OLECHAR);
  std::memcpy(block, &bytes, sizeof bytes);
  auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof(std::uint32_t));
  if (text)
    std::memcpy(chars, text, bytes);
  else
    std::memset(chars, 0, bytes);
  chars[len] = 0;
  return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<std::uint32_t>(std::u16string_view(text).size()));
}

void SysFreeString(BSTR s) {
  if (s) std::free(reinterpret_cast<unsigned char*>(s) - sizeof(std::uint32_t));
}

std::uint32_t SysStringByteLen(BSTR s) {
  if (!s) return 0;
  std::uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<unsigned char*>(s) - sizeof(std::uint32_t), sizeof bytes);
  return bytes;
}

std::uint32_t SysStringLen(BSTR s) { return SysStringByteLen(s) / sizeof(OLECHAR); }

bool SysReAllocString(BSTR* s, const OLECHAR* text) {
  if (!s) return false;
  BSTR copy = SysAllocString(text);
  if (text && !copy) return false;
  SysFreeString(*s);
  *s = copy;
  return true;
}

Bstr::Bstr(std::u16string_view text)
    : s_(text.empty() ? nullptr : SysAllocStringLen(text.data(), static_cast<std::uint32_t>(text.size()))) {}

Bstr::Bstr(const Bstr& other) : Bstr(other.View()) {}

Bstr& Bstr::operator=(const Bstr& other) {
  if (this != &other) Attach(other.Copy());
  return *this;
}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
  if (this != &other) Attach(other.Detach());
  return *this;
}

Bstr Bstr::FromAnsi(std::string_view gbk) { return Bstr(win::AnsiToWide(gbk)); }
Bstr Bstr::FromUtf8(std::string_view utf8) { return Bstr(win::Utf8ToWide(utf8)); }
std::string Bstr::ToAnsi() const { return win::WideToAnsi(View()); }
std::string Bstr::ToUtf8() const { return win::WideToUtf8(View()); }

BSTR Bstr::Copy() const {
  auto v = View();
  return v.empty() ? nullptr : SysAllocStringLen(v.data(), static_cast<std::uint32_t>(v.size()));
}

}  // namespace com
