// SPDX-License-Identifier: GPL-3.0-or-later
// What every toolkit's saving of a chart's bytes must do, checked on each
// toolkit's own function: the file written whole and alone, named in any
// script; each way it can fail told in words; and a file that is replaced
// kept byte for byte where the save fails, with nothing left beside it.
#ifndef COTALIA_TESTS_WINDOW_EXPORTS_SAVE_FILE_CHECKS_H_
#define COTALIA_TESTS_WINDOW_EXPORTS_SAVE_FILE_CHECKS_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "window/exports/chart_file.h"

namespace cotalia::save_file_checks {

namespace fs = std::filesystem;

// A toolkit's save: none once the file holds the bytes, or the message.
using SaveFunction = std::function<std::optional<std::string>(const fs::path&, std::string_view)>;

// A folder of the test's own under the system's temporary folder, removed
// with what it holds.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = fs::temp_directory_path() / ("cotalia-save-" + std::to_string(random()));
      if (fs::create_directory(path_)) return;
    }
    throw std::runtime_error("no temporary folder could be made");
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  ~TemporaryFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

inline std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

inline std::string Contents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
}

// Everything in the folder, as "name" for a file and "name/" for a folder,
// with a file's contents after "=".
inline std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string name = Utf8Of(entry.path().filename());
    names.insert(entry.is_directory() ? name + "/" : name + "=" + Contents(entry.path()));
  }
  return names;
}

enum class Before {
  Nothing,
  LongerFile,    // the file already holds more than is written
  FileAsFolder,  // "archivo.txt" is a file
};

inline void ExpectWritesTheFileAloneOrSaysWhyNot(const SaveFunction& save) {
  // Bytes that a text-mode file would change on Windows (a line feed made
  // CR LF, a 0x1A taken as the end).
  const std::string binary("\x89PNG\r\n\x1A\n\0\r\n", 11);
  const struct {
    const char* name;
    const char* path;  // in the folder, UTF-8, "/" between folders
    Before before;
    std::string bytes;
    const char* message;  // none where it is saved
  } rows[] = {
      {"plain", "chart.svg", Before::Nothing, "<svg/>\n", nullptr},
      {"accents and the euro", "gráfico €.svg", Before::Nothing, "<svg>€</svg>", nullptr},
      {"Chinese", "图表.svg", Before::Nothing, "svg", nullptr},
      {"Cyrillic", "график.svg", Before::Nothing, "svg", nullptr},
      {"nothing to write", "vacío.png", Before::Nothing, "", nullptr},
      {"binary, as it is", "chart.png", Before::Nothing, binary, nullptr},
      {"a longer file replaced whole", "chart.svg", Before::LongerFile, "new", nullptr},
      {"a folder that does not exist", "no existe/gráfico.svg", Before::Nothing, "x",
       "No se pudo guardar «gráfico.svg»: la carpeta no existe."},
      {"named in its script", "нет/график.svg", Before::Nothing, "x",
       "No se pudo guardar «график.svg»: la carpeta no existe."},
      {"a file on the way", "archivo.txt/图表.svg", Before::FileAsFolder, "x",
       "No se pudo guardar «图表.svg»: la carpeta no existe."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const TemporaryFolder folder;
    const fs::path path = folder.path() / PathOfUtf8(row.path);
    if (row.before == Before::LongerFile)
      Write(path, "what the file held before, longer than what replaces it");
    if (row.before == Before::FileAsFolder) Write(folder.path() / "archivo.txt", "a file");
    std::set<std::string> expected = Listing(folder.path());

    const std::optional<std::string> message = save(path, row.bytes);
    if (row.message == nullptr) {
      EXPECT_EQ(message, std::nullopt);
      // Its name in the folder as given, in any script, and nothing beside it.
      const std::string entry = std::string(row.path) + "=";
      std::erase_if(expected, [&](const std::string& name) { return name.starts_with(entry); });
      expected.insert(entry + row.bytes);
      EXPECT_EQ(Contents(path), row.bytes);
    } else {
      EXPECT_EQ(message, std::string(row.message));
    }
    EXPECT_EQ(Listing(folder.path()), expected);
  }
}

// A path that is a folder is refused whatever the platform calls the cause,
// and the folder stays.
inline void ExpectRefusesAFolder(const SaveFunction& save) {
  const TemporaryFolder folder;
  const fs::path path = folder.path() / PathOfUtf8("gráficos");
  fs::create_directory(path);
  Write(path / "dentro.svg", "kept");
  const std::optional<std::string> message = save(path, "x");
  ASSERT_TRUE(message.has_value());
  EXPECT_TRUE(message->starts_with("No se pudo guardar «gráficos»")) << *message;
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(Contents(path / "dentro.svg"), "kept");
  EXPECT_EQ(Listing(folder.path()), std::set<std::string>{"gráficos/"});
}

// Where the disk refuses: a read-only folder and a full one of 16 KiB,
// which tests/window/exports/chart_file_mounts.sh mounts for the test
// (running as root, permissions would not stop a write) and names in the
// environment. The chosen file is new, or holds what it held before, which
// a save that fails must leave as it was, and one that fits replaces.
struct RefusingDisk {
  const char* name;
  const char* variable;  // the folder's environment variable
  const char* before;    // what the file holds before; none for a new file
  std::size_t bytes;     // how many are saved
  const char* message;   // after the file's name; none where it is saved
};

inline void PrintTo(const RefusingDisk& disk, std::ostream* out) { *out << disk.name; }

inline constexpr RefusingDisk kRefusingDisks[] = {
    {"ReadOnly", "COTALIA_READ_ONLY_FOLDER", nullptr, 100, ": no hay permiso para escribir ahí."},
    // Four times the disk: the write fails part-way.
    {"Full", "COTALIA_FULL_FOLDER", nullptr, 64 * 1024, ": no queda espacio en el disco."},
    {"FullWithTheOldFile", "COTALIA_FULL_FOLDER", "what the file held before", 64 * 1024,
     ": no queda espacio en el disco."},
    // Room for the new file beside the old one: replaced.
    {"FullButRoomEnough", "COTALIA_FULL_FOLDER", "what the file held before", 1024, nullptr},
};

inline std::string NameOfRefusingDisk(const testing::TestParamInfo<RefusingDisk>& info) {
  return info.param.name;
}

inline void ExpectSaveOnRefusingDisk(const SaveFunction& save, const RefusingDisk& row) {
  const char* folder = std::getenv(row.variable);
  if (folder == nullptr || *folder == '\0') {
    GTEST_SKIP()
        << row.variable
        << " names no folder: tests/window/exports/chart_file_mounts.sh mounts one where it runs as root";
  }
  const fs::path path = fs::path(folder) / PathOfUtf8("gráfico.png");
  if (row.before != nullptr) Write(path, row.before);
  const std::string bytes(row.bytes, 'x');
  const std::optional<std::string> message = save(path, bytes);
  std::set<std::string> expected;
  if (row.message == nullptr) {
    EXPECT_EQ(message, std::nullopt);
    expected.insert("gráfico.png=" + bytes);
  } else {
    EXPECT_EQ(message, "No se pudo guardar «gráfico.png»" + std::string(row.message));
    if (row.before != nullptr) expected.insert("gráfico.png=" + std::string(row.before));
  }
  // Byte for byte, and nothing beside it.
  EXPECT_EQ(Listing(folder), expected);
  // The disk as it was for the next row.
  std::error_code ignored;
  fs::remove(path, ignored);
}

}  // namespace cotalia::save_file_checks

#endif  // COTALIA_TESTS_WINDOW_EXPORTS_SAVE_FILE_CHECKS_H_
