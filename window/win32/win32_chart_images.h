// SPDX-License-Identifier: GPL-3.0-or-later
// A chart's image in the formats other programs take: a device-independent
// bitmap for the clipboard, PNG for a file.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <gdiplus.h>

#include <string>

namespace cotalia {

// A 32-bit device-independent bitmap, rows from the bottom up as CF_DIB
// holds them; empty where the image cannot be read.
std::string DibOf(Gdiplus::Bitmap& image);

// The image as a PNG file's bytes, encoded by GDI+ into memory (a stream on
// a global block, which ole32 gives); empty where it cannot be encoded.
std::string PngOf(Gdiplus::Bitmap& image);

}  // namespace cotalia
