// velmora_data_icon OUT: draws the dialogs' icon App.ico, a 32 x 32 picture
// of a ruled return sheet with a tick, stored as one 32-bit image in an .ico
// file (icon directory, then a bottom-up BGRA bitmap with its AND mask).
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <vector>

namespace {

constexpr int kSize = 32;

struct Rgba {
  std::uint8_t r, g, b, a;
};

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(v & 0xFF);
  out.push_back(v >> 8);
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back((v >> (8 * i)) & 0xFF);
}

// The picture, row 0 at the top.
std::vector<Rgba> Draw() {
  std::vector<Rgba> px(kSize * kSize, Rgba{0, 0, 0, 0});
  auto set = [&](int x, int y, Rgba c) {
    if (x >= 0 && x < kSize && y >= 0 && y < kSize) px[y * kSize + x] = c;
  };
  const Rgba blue{31, 95, 168, 255}, paper{250, 250, 245, 255}, rule{150, 170, 200, 255},
      head{200, 40, 40, 255}, tick{30, 140, 60, 255};
  for (int y = 1; y < 31; ++y)
    for (int x = 1; x < 31; ++x) {
      bool corner = (x < 3 || x > 28) && (y < 3 || y > 28);
      if (!corner) set(x, y, blue);
    }
  for (int y = 5; y < 28; ++y)
    for (int x = 6; x < 26; ++x) set(x, y, paper);
  for (int x = 8; x < 24; ++x) set(x, 8, head), set(x, 9, head);  // title bar of the table
  for (int y = 12; y < 27; y += 4)
    for (int x = 7; x < 25; ++x) set(x, y, rule);
  for (int y = 11; y < 27; ++y) set(12, y, rule), set(18, y, rule);
  for (int i = 0; i < 5; ++i) set(14 + i, 20 + i, tick), set(14 + i, 21 + i, tick);  // the tick
  for (int i = 0; i < 8; ++i) set(18 + i, 24 - i, tick), set(18 + i, 25 - i, tick);
  return px;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: velmora_data_icon OUT.ico\n";
    return 2;
  }
  std::vector<Rgba> px = Draw();
  const std::uint32_t mask_row = ((kSize + 31) / 32) * 4;
  const std::uint32_t image_size = 40 + kSize * kSize * 4 + mask_row * kSize;
  std::vector<std::uint8_t> out;
  Put16(out, 0), Put16(out, 1), Put16(out, 1);  // reserved, type icon, one image
  out.push_back(kSize), out.push_back(kSize), out.push_back(0), out.push_back(0);
  Put16(out, 1), Put16(out, 32), Put32(out, image_size), Put32(out, 6 + 16);
  // BITMAPINFOHEADER: the height counts the colour bitmap and the mask.
  Put32(out, 40), Put32(out, kSize), Put32(out, kSize * 2), Put16(out, 1), Put16(out, 32);
  Put32(out, 0), Put32(out, kSize * kSize * 4), Put32(out, 0), Put32(out, 0), Put32(out, 0), Put32(out, 0);
  for (int y = kSize - 1; y >= 0; --y)
    for (int x = 0; x < kSize; ++x) {
      const Rgba& p = px[y * kSize + x];
      out.push_back(p.b), out.push_back(p.g), out.push_back(p.r), out.push_back(p.a);
    }
  for (int y = kSize - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(mask_row, 0);
    for (int x = 0; x < kSize; ++x)
      if (px[y * kSize + x].a == 0) row[x / 8] |= 0x80 >> (x % 8);
    out.insert(out.end(), row.begin(), row.end());
  }
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (!file) {
    std::cerr << "velmora_data_icon: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
