// SPDX-License-Identifier: GPL-3.0-or-later
// The window Form1 as data: its caption, its client area and its 27 controls.
// The Qt and the Win32 front ends both build the window from this table, and
// nothing else says where a control stands or what it reads.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace cotalia {

enum class ControlKind { Label, TextBox, Button };

// Places and sizes are in twips (1440 to the inch) from the top-left corner of
// the client area; captions are UTF-8. A text box's caption is its initial text.
struct ControlDescription {
  std::string_view name;
  ControlKind kind;
  std::string_view caption;
  int left;
  int top;
  int width;
  int height;
  int tabIndex;
};

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kStandardDpi = 96;  // 15 twips to the pixel

// Twips to pixels at the given dots per inch, rounded to the nearest pixel,
// halves away from zero, as Windows' MulDiv rounds. Every place in the table
// is a whole number of pixels at 96 dots per inch.
constexpr int PixelsOfTwips(int twips, int dpi = kStandardDpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  const long long half = kTwipsPerInch / 2;
  return static_cast<int>((scaled >= 0 ? scaled + half : scaled - half) / kTwipsPerInch);
}

inline constexpr std::string_view kWindowName = "Form1";
inline constexpr std::string_view kWindowCaption =
    "  www.cotalia.example:::::Simulador:::::Cotalia:::::Acciones";
inline constexpr int kClientWidth = 11265;
inline constexpr int kClientHeight = 4710;
inline constexpr int kFontPointSize = 8;

// Labels centre their text. The clear button "Borrar" is an ordinary push
// button: its highlight back colour belongs to the graphical button style,
// which it does not use, so it looks like the other six.
inline constexpr std::array<ControlDescription, 27> kControls{{
    {"Label1", ControlKind::Label, "Valor Actual", 240, 360, 1335, 375, 0},
    {"D", ControlKind::Label, "Volatilidad", 240, 2040, 1215, 375, 1},
    {"Label2", ControlKind::Label, "Rendimiento", 240, 1200, 1335, 375, 2},
    {"Label3", ControlKind::Label, "Tiempo", 240, 2880, 1335, 375, 3},
    {"Label4", ControlKind::Label, "Precio Esperado", 4440, 2040, 1575, 375, 4},
    {"Label5", ControlKind::Label, "Variacion esperada", 4320, 2880, 1455, 375, 5},
    {"Label6", ControlKind::Label, "Precio Minimo", 4200, 360, 1575, 375, 6},
    {"Label7", ControlKind::Label, "Precio Maximo", 4320, 1200, 1575, 375, 7},
    {"Text1", ControlKind::TextBox, " ", 1920, 360, 1335, 375, 8},
    {"Text2", ControlKind::TextBox, " ", 1920, 1200, 1335, 375, 9},
    {"Text3", ControlKind::TextBox, " ", 1920, 2040, 1335, 375, 10},
    {"Text4", ControlKind::TextBox, " ", 1920, 2760, 1335, 375, 11},
    {"Text5", ControlKind::TextBox, " ", 6360, 360, 1335, 375, 12},
    {"Text6", ControlKind::TextBox, " ", 6360, 1200, 1335, 375, 13},
    {"Text7", ControlKind::TextBox, " ", 6360, 2040, 1335, 375, 14},
    {"Text8", ControlKind::TextBox, " ", 6360, 2880, 1335, 375, 15},
    {"Command1", ControlKind::Button, "Media Dn", 240, 3720, 1455, 375, 16},
    {"Command2", ControlKind::Button, "Vol Dn", 1920, 3720, 1455, 375, 17},
    {"Command3", ControlKind::Button, "Precio Minimo", 3720, 3720, 1455, 375, 18},
    {"Command4", ControlKind::Button, "Precio Maximo", 5520, 3720, 1335, 375, 19},
    {"Command5", ControlKind::Button, "Precio Esperado", 7200, 3720, 1695, 375, 20},
    {"Command6", ControlKind::Button, "Volatilidad Esperada", 9240, 3720, 1935, 375, 21},
    {"Label8", ControlKind::Label, "Media Dn", 8280, 360, 1575, 255, 22},
    {"Label9", ControlKind::Label, "Volatilidad Dn", 8520, 1560, 1335, 255, 23},
    {"Text9", ControlKind::TextBox, " ", 8520, 840, 1335, 375, 24},
    {"Text10", ControlKind::TextBox, " ", 8520, 2040, 1335, 375, 25},
    {"Command7", ControlKind::Button, "Borrar", 8520, 2880, 1335, 375, 26},
}};

// The position in kControls of the control of that name. Evaluated while
// compiling: a name that is not in the table does not compile.
consteval std::size_t IndexOfControl(std::string_view name) {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (kControls[i].name == name) return i;
  }
  throw "no control of that name in kControls";
}

using ControlTable = std::array<ControlDescription, kControls.size()>;

// Every control's position in the table, in tab-index order, whatever order
// the table lists them in. Leaving out the labels gives the path of the Tab key.
std::array<std::size_t, kControls.size()> TabOrder(const ControlTable& controls = kControls);

}  // namespace cotalia
