// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a chart's bytes: the file written whole and alone, named in any
// script, and each way it can fail told in words, with nothing half-written
// left behind.
#include "window/exports/chart_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

namespace cotalia {
namespace {

namespace fs = std::filesystem;

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

std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

std::string Contents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
}

// Everything in the folder, as "name" for a file and "name/" for a folder,
// with a file's contents after "=".
std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string name = Utf8Of(entry.path().filename());
    names.insert(entry.is_directory() ? name + "/" : name + "=" + Contents(entry.path()));
  }
  return names;
}

TEST(ChartFileKinds, CaptionsExtensionsAndScales) {
  ASSERT_EQ(kChartFileKinds.size(), 3u);
  std::set<std::string_view> captions;
  for (const ChartFileKind& kind : kChartFileKinds) {
    // The dialogs' filter: the caption ends in the extension's pattern.
    const std::string pattern = "(*." + std::string(kind.extension) + ")";
    EXPECT_TRUE(kind.caption.ends_with(pattern)) << kind.caption;
    EXPECT_EQ(kind.extension, kind.format == ChartFileFormat::Svg ? "svg" : "png") << kind.caption;
    captions.insert(kind.caption);
  }
  EXPECT_EQ(captions.size(), kChartFileKinds.size());
  EXPECT_EQ(kChartFileKinds[0].scale, 1);
  EXPECT_EQ(kChartFileKinds[1].scale, 2);
  EXPECT_EQ(kChartFileKinds[2].format, ChartFileFormat::Svg);
}

// The kind a saved file gets: by the extension its name ends in, whatever
// its case, else by the filter; the filter's own where both say PNG.
TEST(ChartFileKindOf, TheNameDecidesWhereItNamesAKind) {
  const struct {
    std::string_view name;
    std::size_t filter;
    std::size_t kind;  // index in kChartFileKinds
  } rows[] = {
      {"gráfico.png", 0, 0},
      {"gráfico.png", 1, 1},           // twice the size, as chosen
      {"gráfico.svg", 0, 2},           // the name says SVG
      {"gráfico.SVG", 1, 2},           // in any case
      {"gráfico.PNG", 2, 0},           // the name says PNG, the filter SVG: a PNG at the window's size
      {"gráfico", 1, 1},               // no extension: the filter's
      {"gráfico.jpg", 2, 2},           // an extension of no kind: the filter's
      {"carpeta.svg/gráfico", 0, 0},   // a point in a folder's name is no extension
      {"carpeta.svg\\gráfico", 1, 1},  // nor in a Windows folder's
      {"gráfico.", 2, 2},
      {"gráfico.svg", 99, 2},  // a filter beyond the list: the last kind's
      {"gráfico", 99, 2},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(&ChartFileKindOf(row.name, row.filter), &kChartFileKinds[row.kind])
        << row.name << " under filter " << row.filter;
  }
}

enum class Before {
  Nothing,
  LongerFile,    // the file already holds more than is written
  FileAsFolder,  // "archivo.txt" is a file
  Folder,        // the path is a folder
};

TEST(SaveBytes, WritesTheFileAloneOrSaysWhyNot) {
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

    const std::optional<std::string> message = SaveBytes(path, row.bytes);
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
TEST(SaveBytes, RefusesAFolder) {
  const TemporaryFolder folder;
  const fs::path path = folder.path() / PathOfUtf8("gráficos");
  fs::create_directory(path);
  Write(path / "dentro.svg", "kept");
  const std::optional<std::string> message = SaveBytes(path, "x");
  ASSERT_TRUE(message.has_value());
  EXPECT_TRUE(message->starts_with("No se pudo guardar «gráficos»")) << *message;
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(Contents(path / "dentro.svg"), "kept");
}

// Where the disk refuses: a read-only folder and a full one, which
// tests/window/chart_file_mounts.sh mounts for the test (running as root,
// permissions would not stop a write) and names in the environment. Without
// them, a full disk is /dev/full where there is one, and there is no
// read-only folder.
struct RefusingDisk {
  const char* name;
  const char* variable;  // the folder's environment variable
  const char* fallback;  // a device that refuses where there is no folder
  std::size_t bytes;     // more than the full disk holds
  const char* message;
};

void PrintTo(const RefusingDisk& disk, std::ostream* out) { *out << disk.name; }

class SaveBytesOnRefusingDisk : public testing::TestWithParam<RefusingDisk> {};

TEST_P(SaveBytesOnRefusingDisk, SaysWhyAndLeavesNoPartialFile) {
  const RefusingDisk& row = GetParam();
  const char* folder = std::getenv(row.variable);
  const std::string bytes(row.bytes, 'x');
  const fs::path name = PathOfUtf8("gráfico.png");
  const std::string expected = "No se pudo guardar «gráfico.png»" + std::string(row.message);
  if (folder != nullptr && *folder != '\0') {
    const fs::path path = fs::path(folder) / name;
    EXPECT_EQ(SaveBytes(path, bytes), expected);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_empty(folder));
    return;
  }
  if (row.fallback == nullptr || !fs::exists(row.fallback)) {
    GTEST_SKIP() << row.variable
                 << " names no folder: tests/window/chart_file_mounts.sh mounts one where it runs as root";
  }
  // The device through a link of the test's own: the failure is told and the
  // device is no partial file to remove. Were SaveBytes to remove it all the
  // same, it would remove the link, never the machine's device.
  const TemporaryFolder links;
  const fs::path path = links.path() / name;
  fs::create_symlink(row.fallback, path);
  EXPECT_EQ(SaveBytes(path, bytes), expected);
  EXPECT_TRUE(fs::is_symlink(path));
}

const RefusingDisk kRefusingDisks[] = {
    {"ReadOnly", "COTALIA_READ_ONLY_FOLDER", nullptr, 100, ": no hay permiso para escribir ahí."},
    // Four times the 16 KiB disk: the write fails part-way.
    {"Full", "COTALIA_FULL_FOLDER", "/dev/full", 64 * 1024, ": no queda espacio en el disco."},
};

INSTANTIATE_TEST_SUITE_P(Disks, SaveBytesOnRefusingDisk, testing::ValuesIn(kRefusingDisks),
                         [](const testing::TestParamInfo<RefusingDisk>& info) { return info.param.name; });

}  // namespace
}  // namespace cotalia
