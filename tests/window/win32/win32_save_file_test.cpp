// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a chart's file on Windows, through a new file moved over the chosen
// one: the checks every toolkit's save passes. Under Wine, a folder mounted
// on Linux is a folder on drive Z:, and a full disk there is full here too.
#include "window/win32/win32_save_file.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "tests/window/exports/save_file_checks.h"

namespace cotalia {
namespace {

using save_file_checks::RefusingDisk;

TEST(Win32SaveFileWhole, WritesTheFileAloneOrSaysWhyNot) {
  save_file_checks::ExpectWritesTheFileAloneOrSaysWhyNot(Win32SaveFileWhole);
}

TEST(Win32SaveFileWhole, RefusesAFolder) { save_file_checks::ExpectRefusesAFolder(Win32SaveFileWhole); }

class Win32SaveFileWholeOnRefusingDisk : public testing::TestWithParam<RefusingDisk> {};

TEST_P(Win32SaveFileWholeOnRefusingDisk, SaysWhyAndKeepsTheOldFile) {
  save_file_checks::ExpectSaveOnRefusingDisk(Win32SaveFileWhole, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Disks, Win32SaveFileWholeOnRefusingDisk,
                         testing::ValuesIn(save_file_checks::kRefusingDisks),
                         save_file_checks::NameOfRefusingDisk);

}  // namespace
}  // namespace cotalia
