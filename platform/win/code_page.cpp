// Conversions between GBK, UTF-8 and UTF-16 with iconv (glibc's CP936 table,
// which is the platform's code page 936, euro sign at 0x80 included).
#include "code_page.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace win {
namespace {

constexpr const char* kAnsi = "CP936";
constexpr const char* kUtf8 = "UTF-8";
constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// How many bytes of input to give up, as one character, where iconv stops with
// EILSEQ (no character of the source, or no character of the target).
using SkipFn = std::size_t (*)(const unsigned char* in, std::size_t left);

std::size_t SkipAnsi(const unsigned char* in, std::size_t left) {
  if (left >= 2 && IsLeadByte(in[0])) {
    unsigned char trail = in[1];
    if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) return 2;
  }
  return 1;
}

std::size_t SkipUtf8(const unsigned char* in, std::size_t left) {
  std::size_t length = in[0] < 0x80             ? 1
                       : (in[0] & 0xE0) == 0xC0 ? 2
                       : (in[0] & 0xF0) == 0xE0 ? 3
                       : (in[0] & 0xF8) == 0xF0 ? 4
                                                : 1;
  if (length > left) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((in[i] & 0xC0) != 0x80) return 1;
  }
  return length;
}

std::size_t SkipUtf16(const unsigned char* in, std::size_t left) {
  if (left < 2) return left;
  char16_t unit;
  std::memcpy(&unit, in, 2);
  if (unit >= 0xD800 && unit <= 0xDBFF && left >= 4) {
    char16_t low;
    std::memcpy(&low, in + 2, 2);
    if (low >= 0xDC00 && low <= 0xDFFF) return 4;
  }
  return 2;
}

// One iconv descriptor per direction and thread, opened on first use.
class Descriptor {
 public:
  Descriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(
                   -1)) {  // NOLINT(performance-no-int-to-ptr): iconv's failure value
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
  }
  ~Descriptor() { iconv_close(cd_); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Converts in, giving "?" (in the target encoding) for every character that
// cannot be converted. The output is raw bytes of the target encoding.
std::string Convert(const Descriptor& descriptor, const void* data, std::size_t size, SkipFn skip,
                    std::string_view placeholder) {
  iconv_t cd = descriptor.get();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.resize(size * 2 + 16);
  auto* in = static_cast<char*>(const_cast<void*>(data));
  std::size_t in_left = size;
  std::size_t used = 0;
  while (in_left > 0) {
    char* out_ptr = out.data() + used;
    std::size_t out_left = out.size() - used;
    std::size_t rc = iconv(cd, &in, &in_left, &out_ptr, &out_left);
    used = out.size() - out_left;
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    if (out.size() - used < placeholder.size()) out.resize(out.size() * 2);
    out.replace(used, placeholder.size(), placeholder);
    used += placeholder.size();
    if (errno == EILSEQ) {
      std::size_t n = std::min(in_left, skip(reinterpret_cast<unsigned char*>(in), in_left));
      in += n;
      in_left -= n;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else {
      break;  // EINVAL: an incomplete character at the end of the input
    }
  }
  out.resize(used);
  return out;
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::u16string BytesToWide(const std::string& bytes) {
  std::u16string wide(bytes.size() / 2, u'\0');
  std::memcpy(wide.data(), bytes.data(), wide.size() * 2);
  return wide;
}

const std::string_view kQuestionMarkWide{"?\0", 2};
const std::string_view kQuestionMarkWideBig{"\0?", 2};
std::string_view WidePlaceholder() {
  return std::endian::native == std::endian::little ? kQuestionMarkWide : kQuestionMarkWideBig;
}

}  // namespace

std::string AnsiToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  thread_local const Descriptor descriptor(kUtf8, kAnsi);
  return Convert(descriptor, gbk.data(), gbk.size(), SkipAnsi, "?");
}

std::string Utf8ToAnsi(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  thread_local const Descriptor descriptor(kAnsi, kUtf8);
  return Convert(descriptor, utf8.data(), utf8.size(), SkipUtf8, "?");
}

std::u16string AnsiToWide(std::string_view gbk) {
  thread_local const Descriptor descriptor(kUtf16, kAnsi);
  return BytesToWide(Convert(descriptor, gbk.data(), gbk.size(), SkipAnsi, WidePlaceholder()));
}

std::string WideToAnsi(std::u16string_view utf16) {
  thread_local const Descriptor descriptor(kAnsi, kUtf16);
  return Convert(descriptor, utf16.data(), utf16.size() * 2, SkipUtf16, "?");
}

std::u16string Utf8ToWide(std::string_view utf8) {
  thread_local const Descriptor descriptor(kUtf16, kUtf8);
  return BytesToWide(Convert(descriptor, utf8.data(), utf8.size(), SkipUtf8, WidePlaceholder()));
}

std::string WideToUtf8(std::u16string_view utf16) {
  thread_local const Descriptor descriptor(kUtf8, kUtf16);
  return Convert(descriptor, utf16.data(), utf16.size() * 2, SkipUtf16, "?");
}

std::size_t CharLength(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  if (IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) return 2;
  return 1;
}

std::string_view PrefixWithin(std::string_view text, std::size_t max_bytes) {
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t next = end + CharLength(text, end);
    if (next > max_bytes) break;
    end = next;
  }
  return text.substr(0, end);
}

namespace {
template <typename Map>
std::string MapAscii(std::string_view text, Map map) {
  std::string out(text);
  for (std::size_t pos = 0; pos < out.size();) {
    std::size_t length = CharLength(out, pos);
    if (length == 1) out[pos] = map(out[pos]);
    pos += length;
  }
  return out;
}
}  // namespace

std::string AnsiUpperCase(std::string_view text) {
  return MapAscii(
      text, [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
}

std::string AnsiLowerCase(std::string_view text) {
  return MapAscii(
      text, [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
}

}  // namespace win
