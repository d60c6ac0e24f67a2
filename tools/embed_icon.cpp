// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time tool: turns the icon's PNG into a C++ array of ARGB pixels, so
// that the window sets its icon without decoding an image at start-up.
// Usage: embed_icon INPUT.png OUTPUT.h
#include <QFile>
#include <QImage>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s INPUT.png OUTPUT.h\n", argv[0]);
    return 2;
  }
  const QImage image = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 1;
  }
  QFile output(QString::fromLocal8Bit(argv[2]));
  if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
    return 1;
  }
  QTextStream out(&output);
  out << "// Made by embed_icon from the application icon; do not edit.\n#pragma once\n#include <cstdint>\n\n"
      << "inline constexpr int kIconWidth = " << image.width() << ";\n"
      << "inline constexpr int kIconHeight = " << image.height() << ";\n"
      << "alignas(16) inline constexpr std::uint32_t kIconArgb[] = {\n";
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) out << "0x" << Qt::hex << row[x] << "u,";
    out << '\n';
  }
  out << "};\n";
  return 0;
}
