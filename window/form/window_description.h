// SPDX-License-Identifier: GPL-3.0-or-later
// The window Form1 as data: its caption, its client area and its 27 controls,
// in the rows every window of the program is described by
// (window_controls.h). The Qt and the Win32 front ends both build the window
// from this table, and nothing else says where a control stands or what it
// reads.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "window/controls/window_controls.h"

namespace cotalia {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kStandardDpi = 96;  // 15 twips to the pixel

// Twips to pixels at the given dots per inch, rounded to the nearest pixel,
// halves away from zero, as Windows' MulDiv rounds.
constexpr int PixelsOfTwips(int twips, int dpi = kStandardDpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  const long long half = kTwipsPerInch / 2;
  return static_cast<int>((scaled >= 0 ? scaled + half : scaled - half) / kTwipsPerInch);
}

// A length in twips that is a whole number of pixels at 96 dots per inch, in
// those pixels; any other, in the table, does not compile. Scaled from those
// pixels to another DPI, as a toolkit scales a window's places, it rounds as
// its twips would.
constexpr int WholePixelsOfTwips(int twips) {
  if (PixelsOfTwips(twips) * kTwipsPerInch != twips * kStandardDpi) throw "not a whole number of pixels";
  return PixelsOfTwips(twips);
}

// One control of the form as the window description gives it: left, top,
// width and height in twips from the top-left corner of the client area,
// and its tab index. A text box's caption is its initial text; a text box is
// named for screen readers by the label that names its field (wiring.h).
consteval WindowControl FormControl(std::string_view name, ControlRole role, std::string_view caption,
                                    int left, int top, int width, int height, int tabIndex) {
  const int leftPixels = WholePixelsOfTwips(left);
  const int topPixels = WholePixelsOfTwips(top);
  const Place place{{leftPixels},
                    {topPixels},
                    {leftPixels + WholePixelsOfTwips(width)},
                    {topPixels + WholePixelsOfTwips(height)}};
  return {name, role, caption, {}, place, {}, tabIndex};
}

inline constexpr std::string_view kWindowName = "Form1";
inline constexpr std::string_view kWindowCaption =
    "  www.cotalia.example:::::Simulador:::::Cotalia:::::Acciones";
inline constexpr int kClientWidth = 11265;  // twips
inline constexpr int kClientHeight = 4710;
inline constexpr int kFontPointSize = 8;

// Labels centre their text. The clear button "Borrar" is an ordinary push
// button: its highlight back colour belongs to the graphical button style,
// which it does not use, so it looks like the other six.
inline constexpr std::array<WindowControl, 27> kControls{{
    FormControl("Label1", ControlRole::CentredLabel, "Valor Actual", 240, 360, 1335, 375, 0),
    FormControl("D", ControlRole::CentredLabel, "Volatilidad", 240, 2040, 1215, 375, 1),
    FormControl("Label2", ControlRole::CentredLabel, "Rendimiento", 240, 1200, 1335, 375, 2),
    FormControl("Label3", ControlRole::CentredLabel, "Tiempo", 240, 2880, 1335, 375, 3),
    FormControl("Label4", ControlRole::CentredLabel, "Precio Esperado", 4440, 2040, 1575, 375, 4),
    FormControl("Label5", ControlRole::CentredLabel, "Variacion esperada", 4320, 2880, 1455, 375, 5),
    FormControl("Label6", ControlRole::CentredLabel, "Precio Minimo", 4200, 360, 1575, 375, 6),
    FormControl("Label7", ControlRole::CentredLabel, "Precio Maximo", 4320, 1200, 1575, 375, 7),
    FormControl("Text1", ControlRole::TextBox, " ", 1920, 360, 1335, 375, 8),
    FormControl("Text2", ControlRole::TextBox, " ", 1920, 1200, 1335, 375, 9),
    FormControl("Text3", ControlRole::TextBox, " ", 1920, 2040, 1335, 375, 10),
    FormControl("Text4", ControlRole::TextBox, " ", 1920, 2760, 1335, 375, 11),
    FormControl("Text5", ControlRole::TextBox, " ", 6360, 360, 1335, 375, 12),
    FormControl("Text6", ControlRole::TextBox, " ", 6360, 1200, 1335, 375, 13),
    FormControl("Text7", ControlRole::TextBox, " ", 6360, 2040, 1335, 375, 14),
    FormControl("Text8", ControlRole::TextBox, " ", 6360, 2880, 1335, 375, 15),
    FormControl("Command1", ControlRole::Button, "Media Dn", 240, 3720, 1455, 375, 16),
    FormControl("Command2", ControlRole::Button, "Vol Dn", 1920, 3720, 1455, 375, 17),
    FormControl("Command3", ControlRole::Button, "Precio Minimo", 3720, 3720, 1455, 375, 18),
    FormControl("Command4", ControlRole::Button, "Precio Maximo", 5520, 3720, 1335, 375, 19),
    FormControl("Command5", ControlRole::Button, "Precio Esperado", 7200, 3720, 1695, 375, 20),
    FormControl("Command6", ControlRole::Button, "Volatilidad Esperada", 9240, 3720, 1935, 375, 21),
    FormControl("Label8", ControlRole::CentredLabel, "Media Dn", 8280, 360, 1575, 255, 22),
    FormControl("Label9", ControlRole::CentredLabel, "Volatilidad Dn", 8520, 1560, 1335, 255, 23),
    FormControl("Text9", ControlRole::TextBox, " ", 8520, 840, 1335, 375, 24),
    FormControl("Text10", ControlRole::TextBox, " ", 8520, 2040, 1335, 375, 25),
    FormControl("Command7", ControlRole::Button, "Borrar", 8520, 2880, 1335, 375, 26),
}};

inline constexpr WindowDescription kForm{kWindowCaption, WholePixelsOfTwips(kClientWidth),
                                         WholePixelsOfTwips(kClientHeight), kControls};

// Where a control of the form stands in a client area `width` pixels wide
// (at 96 dots per inch): as laid out at the form's own width or less; wider,
// its left and right in proportion, so that its box shows more digits, and
// its top and height as laid out. The window's resizing runs no action.
constexpr Rectangle FormPlaceAcross(const WindowControl& control, int width) {
  const Rectangle laidOut = RectangleOf(control.place, kForm.width, kForm.height);
  if (width <= kForm.width) return laidOut;
  const auto across = [width](int x) {
    return static_cast<int>(static_cast<long long>(x) * width / kForm.width);
  };
  const int left = across(laidOut.left);
  return {left, laidOut.top, across(laidOut.left + laidOut.width) - left, laidOut.height};
}

// The position in kControls of the control of that name. Evaluated while
// compiling: a name that is not in the table does not compile.
consteval std::size_t IndexOfControl(std::string_view name) {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (kControls[i].name == name) return i;
  }
  throw "no control of that name in kControls";
}

using ControlTable = std::array<WindowControl, kControls.size()>;

// Every control's position in the table, in tab-index order, whatever order
// the table lists them in. Leaving out the labels gives the path of the Tab key.
std::array<std::size_t, kControls.size()> TabOrder(const ControlTable& controls = kControls);

}  // namespace cotalia
