#pragma once
// Message boxes of the system: GBK texts, the platform's button and answer
// codes. They are shown by the UI driver the host has plugged in
// (ui::CurrentDriver), which takes UTF-8.
#include <string_view>

namespace win {

// Button sets (the low four bits of the type).
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
// Icons; the drivers do not show them.
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;

// The button pressed.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Shows text and caption (GBK) with the buttons of type and returns the
// button pressed. A type with an unknown button set shows OK only.
int MessageBox(std::string_view text, std::string_view caption, unsigned type = MB_OK);

}  // namespace win
