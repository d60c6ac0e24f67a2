// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a chart's file on Qt, through QSaveFile: the checks every toolkit's
// save passes.
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "tests/window/exports/save_file_checks.h"
#include "window/qt/exports.h"

namespace cotalia {
namespace {

using save_file_checks::RefusingDisk;

std::optional<std::string> SaveWithQt(const std::filesystem::path& path, std::string_view bytes) {
  return SaveFileWhole(QString::fromStdU16String(path.u16string()), bytes);
}

TEST(SaveFileWhole, WritesTheFileAloneOrSaysWhyNot) {
  save_file_checks::ExpectWritesTheFileAloneOrSaysWhyNot(SaveWithQt);
}

TEST(SaveFileWhole, RefusesAFolder) { save_file_checks::ExpectRefusesAFolder(SaveWithQt); }

class SaveFileWholeOnRefusingDisk : public testing::TestWithParam<RefusingDisk> {};

TEST_P(SaveFileWholeOnRefusingDisk, SaysWhyAndKeepsTheOldFile) {
  save_file_checks::ExpectSaveOnRefusingDisk(SaveWithQt, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Disks, SaveFileWholeOnRefusingDisk,
                         testing::ValuesIn(save_file_checks::kRefusingDisks),
                         save_file_checks::NameOfRefusingDisk);

}  // namespace
}  // namespace cotalia
