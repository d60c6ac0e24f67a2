// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/history/text_decoding.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include "model/history/reading.h"

namespace cotalia::reading {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::size_t Utf8Length(char32_t c) {
  if (c < 0x80) return 1;
  if (c < 0x800) return 2;
  if (c < 0x10000) return 3;
  return 4;
}

char* PutUtf8(char* out, char32_t c) {
  const auto byte = [](char32_t bits) { return static_cast<char>(static_cast<unsigned char>(bits)); };
  if (c < 0x80) {
    *out++ = byte(c);
  } else if (c < 0x800) {
    *out++ = byte(0xC0 | (c >> 6));
    *out++ = byte(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = byte(0xE0 | (c >> 12));
    *out++ = byte(0x80 | ((c >> 6) & 0x3F));
    *out++ = byte(0x80 | (c & 0x3F));
  } else {
    *out++ = byte(0xF0 | (c >> 18));
    *out++ = byte(0x80 | ((c >> 12) & 0x3F));
    *out++ = byte(0x80 | ((c >> 6) & 0x3F));
    *out++ = byte(0x80 | (c & 0x3F));
  }
  return out;
}

// The text of the code points `forEach` gives, measured first and written
// second, so that a large file is never held in a string that has doubled
// past its size.
template <typename ForEach>
std::string Utf8Of(const ForEach& forEach) {
  std::size_t length = 0;
  forEach([&length](char32_t c) { length += Utf8Length(c); });
  std::string text(length, '\0');
  char* out = text.data();
  forEach([&out](char32_t c) { out = PutUtf8(out, c); });
  return text;
}

// The length of the well-formed UTF-8 sequence that starts `bytes`, or 0:
// no overlong forms, no surrogates, nothing beyond U+10FFFF.
std::size_t Utf8SequenceAt(const unsigned char* bytes, std::size_t left) {
  const unsigned lead = bytes[0];
  const auto follows = [bytes, left](std::size_t count) {
    if (left < count + 1) return false;
    for (std::size_t i = 1; i <= count; ++i) {
      if ((bytes[i] & 0xC0U) != 0x80U) return false;
    }
    return true;
  };
  if (lead < 0x80) return 1;
  if (lead < 0xC2) return 0;
  if (lead < 0xE0) return follows(1) ? 2 : 0;
  if (lead < 0xF0) {
    if (!follows(2) || (lead == 0xE0 && bytes[1] < 0xA0) || (lead == 0xED && bytes[1] >= 0xA0)) return 0;
    return 3;
  }
  if (lead < 0xF5) {
    if (!follows(3) || (lead == 0xF0 && bytes[1] < 0x90) || (lead == 0xF4 && bytes[1] >= 0x90)) return 0;
    return 4;
  }
  return 0;
}

bool IsUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t i = 0;
  while (i < size) {
    // Eight ASCII bytes at a time: nearly all of a history is ASCII.
    constexpr std::uint64_t kHighBits = 0x8080808080808080U;
    std::uint64_t word = 0;
    if (size - i >= sizeof word) {
      std::memcpy(&word, bytes + i, sizeof word);
      if ((word & kHighBits) == 0) {
        i += sizeof word;
        continue;
      }
    }
    const std::size_t length = Utf8SequenceAt(bytes + i, size - i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

// UTF-8 that its byte order mark declares but that is not well formed: each
// byte out of place reads as U+FFFD, as text editors show it.
std::string RepairedUtf8(std::string_view text) {
  return Utf8Of([text](const auto& put) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t i = 0;
    while (i < text.size()) {
      const std::size_t length = Utf8SequenceAt(bytes + i, text.size() - i);
      if (length == 0) {
        put(kReplacement);
        ++i;
        continue;
      }
      char32_t c = length == 1 ? bytes[i] : bytes[i] & (0x7FU >> length);
      for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (bytes[i + k] & 0x3FU);
      put(c);
      i += length;
    }
  });
}

// Windows-1252's bytes 0x80 to 0x9F; the five it leaves undefined read as the
// C1 controls of the same number, as Windows itself reads them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string Utf8OfWindows1252(std::string_view text) {
  return Utf8Of([text](const auto& put) {
    for (const char byte : text) {
      const auto c = static_cast<unsigned char>(byte);
      put(c >= 0x80 && c < 0xA0 ? char32_t{kWindows1252High[c - 0x80]} : char32_t{c});
    }
  });
}

// UTF-16 after its byte order mark. An unpaired surrogate, or a last byte
// without its pair, reads as U+FFFD; a NUL sets `nul`.
std::string Utf8OfUtf16(std::string_view text, bool bigEndian, bool& nul) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  const auto unit = [bytes, bigEndian](std::size_t i) {
    const char32_t first = bytes[i];
    const char32_t second = bytes[i + 1];
    return bigEndian ? (first << 8) | second : (second << 8) | first;
  };
  nul = false;
  return Utf8Of([&](const auto& put) {
    std::size_t i = 0;
    while (size - i >= 2) {
      char32_t c = unit(i);
      i += 2;
      if (c == 0) nul = true;
      if (c >= 0xD800 && c < 0xDC00 && size - i >= 2) {
        const char32_t low = unit(i);
        if (low >= 0xDC00 && low < 0xE000) {
          i += 2;
          put(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
          continue;
        }
      }
      if (c >= 0xD800 && c < 0xE000) c = kReplacement;
      put(c);
    }
    if (i < size) put(kReplacement);
  });
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() && bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::variant<Decoded, HistoryProblem> Decode(std::string_view bytes, std::string* owner) {
  if (bytes.size() > kLargestHistoryBytes) return UnplacedProblem(Kind::TooLarge);
  const bool littleEndian = StartsWith(bytes, "\xFF\xFE");
  if (littleEndian || StartsWith(bytes, "\xFE\xFF")) {
    bool nul = false;
    std::string text = Utf8OfUtf16(bytes.substr(2), !littleEndian, nul);
    if (nul) return UnplacedProblem(Kind::NotText);
    return Decoded{std::move(text),
                   littleEndian ? TextEncoding::Utf16LittleEndian : TextEncoding::Utf16BigEndian};
  }
  if (bytes.find('\0') != std::string_view::npos) return UnplacedProblem(Kind::NotText);
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  const bool marked = StartsWith(bytes, kUtf8Mark);
  const std::string_view body = marked ? bytes.substr(kUtf8Mark.size()) : bytes;
  if (IsUtf8(body)) {
    if (owner == nullptr) return Decoded{std::string(body), TextEncoding::Utf8};
    std::string text = std::move(*owner);
    if (marked) text.erase(0, kUtf8Mark.size());
    return Decoded{std::move(text), TextEncoding::Utf8};
  }
  if (marked) return Decoded{RepairedUtf8(body), TextEncoding::Utf8};
  return Decoded{Utf8OfWindows1252(body), TextEncoding::Windows1252};
}

}  // namespace cotalia::reading
