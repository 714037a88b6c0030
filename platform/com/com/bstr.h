#pragma once
// BSTR: the automation string. A BSTR points at UTF-16 characters preceded by
// their length in bytes (32 bits) and followed by a 0; a null BSTR is the empty
// string. Sys* are the platform's calls; Bstr owns one BSTR.
//   com::Bstr name = com::Bstr::FromAnsi(gbk_text);   // GBK in, UTF-16 inside
//   std::string back = name.ToAnsi();
//   hr = obj->get_Name(name.Put());                     // out parameter
#include <string>
#include <string_view>
#include <utility>

#include "com/types.h"

namespace com {

BSTR SysAllocString(const OLECHAR* text);                       // up to the first 0
BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t len);  // text may be null: uninitialised
void SysFreeString(BSTR s);
std::uint32_t SysStringLen(BSTR s);
std::uint32_t SysStringByteLen(BSTR s);
// Replaces *s by a copy of text; false when out of memory.
bool SysReAllocString(BSTR* s, const OLECHAR* text);

// The characters of a BSTR (empty for null).
inline std::u16string_view BstrView(BSTR s) { return s ? std::u16string_view(s, SysStringLen(s)) : std::u16string_view(); }

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text);
  explicit Bstr(const OLECHAR* text) : Bstr(text ? std::u16string_view(text) : std::u16string_view()) {}
  Bstr(const Bstr& other);
  Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
  Bstr& operator=(const Bstr& other);
  Bstr& operator=(Bstr&& other) noexcept;
  ~Bstr() { SysFreeString(s_); }

  static Bstr FromAnsi(std::string_view gbk);   // the system's code page (GBK)
  static Bstr FromUtf8(std::string_view utf8);
  static Bstr Adopt(BSTR s) {
    Bstr b;
    b.s_ = s;
    return b;
  }

  std::string ToAnsi() const;
  std::string ToUtf8() const;
  std::u16string_view View() const { return BstrView(s_); }
  std::u16string ToWide() const { return std::u16string(View()); }
  std::uint32_t Length() const { return SysStringLen(s_); }
  bool Empty() const { return Length() == 0; }

  BSTR Get() const { return s_; }
  BSTR Detach() { return std::exchange(s_, nullptr); }
  void Attach(BSTR s) {
    SysFreeString(s_);
    s_ = s;
  }
  void Reset() { Attach(nullptr); }
  // The slot for an out parameter; frees what was held first.
  BSTR* Put() {
    Reset();
    return &s_;
  }
  // A new copy for an out parameter; null when empty.
  BSTR Copy() const;

  friend bool operator==(const Bstr& a, const Bstr& b) { return a.View() == b.View(); }
  friend bool operator==(const Bstr& a, std::u16string_view b) { return a.View() == b; }

 private:
  BSTR s_ = nullptr;
};

}  // namespace com
