// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8, the model's texts, as Qt's strings; and Qt's own texts (its
// dialogs' buttons and questions) in the user's language.
#pragma once

#include <QString>
#include <string_view>

class QTranslator;

namespace cotalia {

// Loads into `translator`, and installs, Qt's own translation for the
// system's language, or the Spanish one where the system's language has
// none (the program's windows are in Spanish); false where neither is
// found. The translator must outlive the application's windows.
bool InstallQtTranslations(QTranslator& translator);

inline QString QStringOf(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace cotalia
