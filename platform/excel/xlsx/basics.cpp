// Cell names, values, Excel's conversion of typed texts and the palette.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cctype>
#include <cstring>

#include "excel/xlsx/model.h"

namespace xlsx {

std::string ColumnName(int column) {
  std::string name;
  while (column > 0) {
    int d = (column - 1) % 26;
    name.insert(name.begin(), static_cast<char>('A' + d));
    column = (column - 1) / 26;
  }
  return name;
}

std::string CellName(int row, int column) { return ColumnName(column) + std::to_string(row); }

bool ParseCellName(std::string_view text, int& row, int& column) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  long col = 0;
  std::size_t letters = 0;
  while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
    col = col * 26 + (std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 1);
    if (col > kMaxColumns) return false;
    ++i;
    ++letters;
  }
  if (letters == 0) return false;
  if (i < text.size() && text[i] == '$') ++i;
  long r = 0;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    r = r * 10 + (text[i] - '0');
    if (r > kMaxRows) return false;
    ++i;
    ++digits;
  }
  if (digits == 0 || i != text.size() || r < 1) return false;
  row = static_cast<int>(r);
  column = static_cast<int>(col);
  return true;
}

bool Value::operator==(const Value& o) const {
  if (type != o.type) return false;
  switch (type) {
    case ValueType::Empty: return true;
    case ValueType::Text:
    case ValueType::Error: return text == o.text;
    case ValueType::Number: return number == o.number;
    case ValueType::Boolean: return boolean == o.boolean;
  }
  return false;
}

std::string GeneralNumberText(double number) {
  if (number == 0 || !std::isfinite(number)) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", number);
  std::string s = buf;
  auto e = s.find('e');
  if (e != std::string::npos) s[e] = 'E';
  return s;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IEquals(std::string_view a, const char* b) {
  std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
  return true;
}

// The number a text stands for, by Excel's US rules; false when it is no number.
bool ParseNumber(std::string_view s, double& out, bool& percent) {
  percent = false;
  bool negative = false;
  if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
    negative = true;
    s = s.substr(1, s.size() - 2);
  }
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (negative) return false;
    negative = s[i] == '-';
    ++i;
  }
  if (!s.empty() && s.back() == '%') {
    percent = true;
    s.remove_suffix(1);
  }
  std::string clean;
  std::size_t digits = 0;
  // Integer part, with thousands separators in groups of three.
  std::size_t group = 0;
  bool grouped = false;
  while (i < s.size() && (IsDigit(s[i]) || s[i] == ',')) {
    if (s[i] == ',') {
      if (grouped ? group != 3 : (group == 0 || group > 3)) return false;
      grouped = true;
      group = 0;
    } else {
      clean += s[i];
      ++group;
      ++digits;
    }
    ++i;
  }
  if (grouped && group != 3) return false;
  if (i < s.size() && s[i] == '.') {
    clean += '.';
    ++i;
    while (i < s.size() && IsDigit(s[i])) {
      clean += s[i++];
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    clean += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) clean += s[i++];
    std::size_t exp_digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
      clean += s[i++];
      ++exp_digits;
    }
    if (exp_digits == 0) return false;
  }
  if (i != s.size()) return false;
  double value = 0;
  auto [ptr, ec] = std::from_chars(clean.data(), clean.data() + clean.size(), value);
  if (ec != std::errc() || ptr != clean.data() + clean.size() || !std::isfinite(value)) return false;
  if (percent) value /= 100;
  out = negative ? -value : value;
  return true;
}

}  // namespace

Value ConvertTypedText(std::string_view text, bool* percent) {
  if (percent) *percent = false;
  if (text.empty()) return Value{};
  std::string_view s = text;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (IEquals(s, "TRUE")) return Value::Bool(true);
  if (IEquals(s, "FALSE")) return Value::Bool(false);
  double number = 0;
  bool pct = false;
  if (!s.empty() && ParseNumber(s, number, pct)) {
    if (percent) *percent = pct;
    return Value::Number(number == 0 ? 0.0 : number);
  }
  return Value::Text(std::string(text));
}

namespace {
constexpr std::uint32_t kPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
}  // namespace

std::uint32_t PaletteColor(int color_index) {
  if (color_index < 1 || color_index > 56) return 0;
  return kPalette[color_index - 1];
}

int NearestColorIndex(std::uint32_t rgb) {
  int best = 1;
  long best_distance = -1;
  for (int i = 0; i < 56; ++i) {
    long dr = long((rgb >> 16) & 0xFF) - long((kPalette[i] >> 16) & 0xFF);
    long dg = long((rgb >> 8) & 0xFF) - long((kPalette[i] >> 8) & 0xFF);
    long db = long(rgb & 0xFF) - long(kPalette[i] & 0xFF);
    long d = dr * dr + dg * dg + db * db;
    if (best_distance < 0 || d < best_distance) {
      best_distance = d;
      best = i + 1;
    }
  }
  return best;
}

}  // namespace xlsx
