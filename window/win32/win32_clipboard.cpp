// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_clipboard.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "window/exports/clipboard_table.h"
#include "window/win32/win32_text.h"

namespace cotalia {

bool PutOnClipboard(HWND owner, std::span<const ClipboardBlock> blocks) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool placed = true;
  for (const ClipboardBlock& block : blocks) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, std::max<std::size_t>(block.bytes.size(), 1));
    void* start = memory != nullptr ? GlobalLock(memory) : nullptr;
    if (start == nullptr) {
      if (memory != nullptr) GlobalFree(memory);
      placed = false;
      continue;
    }
    std::memcpy(start, block.bytes.data(), block.bytes.size());
    GlobalUnlock(memory);
    // The clipboard owns the block once it takes it.
    if (SetClipboardData(block.format, memory) == nullptr) {
      GlobalFree(memory);
      placed = false;
    }
  }
  CloseClipboard();
  return placed;
}

void PutTextOnClipboard(HWND owner, std::string_view utf8, std::string_view html) {
  const std::wstring text = WideOf(utf8);
  std::vector<ClipboardBlock> blocks{{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(text.c_str()),
                                                                  (text.size() + 1) * sizeof(wchar_t))}};
  if (!html.empty()) {
    // UTF-8 with its header of offsets, and a null after it that the
    // offsets do not count.
    std::string fragment = WindowsHtmlClipboardOf(html);
    fragment += '\0';
    blocks.push_back({RegisterClipboardFormatW(L"HTML Format"), std::move(fragment)});
  }
  PutOnClipboard(owner, blocks);
}

std::optional<std::string> TextOnClipboard(HWND owner) {
  if (!OpenClipboard(owner)) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      // Up to its terminating null, and never past the block.
      const std::size_t most = GlobalSize(data) / sizeof(wchar_t);
      text = Utf8Of(std::wstring_view(wide, std::find(wide, wide + most, L'\0') - wide));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace cotalia
