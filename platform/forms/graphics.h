#pragma once
// Colours, fonts and the canvas a control draws on. Nothing is drawn; the
// settings are kept, and the grid reports the colour each cell was drawn with.
#include <cstdint>
#include <string>

namespace forms {

// Colours as the platform writes them: 0x00BBGGRR.
using Color = std::uint32_t;
inline constexpr Color clBlack = 0x000000;
inline constexpr Color clRed = 0x0000FF;
inline constexpr Color clWindowText = clBlack;
constexpr Color RGB(unsigned red, unsigned green, unsigned blue) { return red | green << 8 | blue << 16; }

// Character sets of a font, as the platform numbers them.
inline constexpr int DEFAULT_CHARSET = 1;
inline constexpr int GB2312_CHARSET = 134;

struct Font {
  std::string Name = "MS Sans Serif";
  int Size = 8;  // points
  forms::Color Color = clWindowText;
  int Charset = DEFAULT_CHARSET;
};

struct Canvas {
  forms::Font Font;
};

}  // namespace forms
