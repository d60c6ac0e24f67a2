// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_chart_images.h"

// After windows.h, which it needs.
#include <objbase.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace cotalia {

std::string DibOf(Gdiplus::Bitmap& image) {
  const UINT width = image.GetWidth();
  const UINT height = image.GetHeight();
  Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData pixels{};
  if (image.LockBits(&whole, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &pixels) != Gdiplus::Ok) {
    return {};
  }
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = static_cast<LONG>(width);
  header.biHeight = static_cast<LONG>(height);
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  const std::size_t row = std::size_t{width} * 4;
  header.biSizeImage = static_cast<DWORD>(row * height);
  std::string bytes(sizeof header + row * height, '\0');
  std::memcpy(bytes.data(), &header, sizeof header);
  for (UINT y = 0; y < height; ++y) {
    const auto* from =
        static_cast<const char*>(pixels.Scan0) + static_cast<std::ptrdiff_t>(y) * pixels.Stride;
    std::memcpy(bytes.data() + sizeof header + (height - 1 - y) * row, from, row);
  }
  image.UnlockBits(&pixels);
  return bytes;
}

namespace {

std::optional<CLSID> PngEncoder() {
  UINT count = 0;
  UINT size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return std::nullopt;
  std::vector<std::byte> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return std::nullopt;
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring_view(encoders[i].MimeType) == L"image/png") return encoders[i].Clsid;
  }
  return std::nullopt;
}

}  // namespace

std::string PngOf(Gdiplus::Bitmap& image) {
  const std::optional<CLSID> encoder = PngEncoder();
  IStream* stream = nullptr;
  if (!encoder || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return {};
  std::string bytes;
  STATSTG status{};
  HGLOBAL block = nullptr;
  if (image.Save(stream, &*encoder, nullptr) == Gdiplus::Ok &&
      SUCCEEDED(stream->Stat(&status, STATFLAG_NONAME)) && SUCCEEDED(GetHGlobalFromStream(stream, &block))) {
    if (const auto* start = static_cast<const char*>(GlobalLock(block))) {
      bytes.assign(start, static_cast<std::size_t>(status.cbSize.QuadPart));
      GlobalUnlock(block);
    }
  }
  stream->Release();
  return bytes;
}

}  // namespace cotalia
