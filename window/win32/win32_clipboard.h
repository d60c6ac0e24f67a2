// SPDX-License-Identifier: GPL-3.0-or-later
// The clipboard on the Win32 API: blocks of any format put there at once,
// text as UTF-16 with an HTML table beside it, and text read back.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace cotalia {
// What goes on the clipboard in one of its formats: the bytes of its global
// block as they are.
struct ClipboardBlock {
  UINT format;
  std::string bytes;
};

// Every block on the clipboard at once, in their order, in place of what it
// held: a program that pastes takes the richest format it reads. False where
// the clipboard is busy or a block cannot be placed.
bool PutOnClipboard(HWND owner, std::span<const ClipboardBlock> blocks);

// Text for the clipboard as UTF-16 (which every program pastes), with
// `html`, a document as HtmlTableOf writes it, beside it in Windows' "HTML
// Format" (which spreadsheets read their cells' values from) where it is
// given; and the clipboard's text as UTF-8, none where it holds no text or is
// busy.
void PutTextOnClipboard(HWND owner, std::string_view utf8, std::string_view html = {});
std::optional<std::string> TextOnClipboard(HWND owner);

}  // namespace cotalia
