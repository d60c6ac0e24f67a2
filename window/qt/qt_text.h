// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8, the model's texts, as Qt's strings.
#pragma once

#include <QString>
#include <string_view>

namespace cotalia {

inline QString QStringOf(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace cotalia
