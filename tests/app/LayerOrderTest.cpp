// Keeps the layers of the source tree in order: a file may include headers
// of its own folder and of the folders below it, never of one above. The
// order is the one README's architecture section gives.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Lowest first. "app" is the program entry and the product's composition root.
constexpr std::array<const char *, 14> Layers = {
    "platform", "base",      "settings", "imaging", "retouch",  "plugin", "framework",
    "demo",     "documents", "views",    "tools",   "services", "editor", "app"};

int RankOf(const std::string &layer) {
  const auto found = std::find(Layers.begin(), Layers.end(), layer);
  return found == Layers.end() ? -1 : static_cast<int>(found - Layers.begin());
}

// The layer of a file: its first folder under src/, or "app".
std::string LayerOfFile(const fs::path &root, const fs::path &file) {
  const fs::path relative = fs::relative(file, root);
  auto part = relative.begin();
  if (*part == "app") return "app";
  ++part;  // past "src"
  return part->string();
}

struct TInclusion {
  std::string File;
  std::string Header;
  std::string From;
  std::string To;
};

// The folder named by an include line of ours ("imaging/VxPixels.h" gives
// "imaging"); empty for any other line.
std::string IncludedFolder(const std::string &line) {
  const size_t hash = line.find_first_not_of(" \t");
  if (hash == std::string::npos || line[hash] != '#') return {};
  const size_t word = line.find_first_not_of(" \t", hash + 1);
  if (word == std::string::npos || line.compare(word, 7, "include") != 0) return {};
  const size_t open = line.find('"', word + 7);
  if (open == std::string::npos) return {};
  const size_t slash = line.find('/', open + 1);
  const size_t close = line.find('"', open + 1);
  if (slash == std::string::npos || close == std::string::npos || slash > close) return {};
  const std::string folder = line.substr(open + 1, slash - open - 1);
  const bool lower = !folder.empty() && std::all_of(folder.begin(), folder.end(),
                                                    [](char c) { return c >= 'a' && c <= 'z'; });
  return lower ? folder : std::string();
}

std::vector<TInclusion> Inclusions(const fs::path &root) {
  std::vector<TInclusion> found;
  for (const char *top : {"src", "app"}) {
    for (const auto &entry : fs::recursive_directory_iterator(root / top)) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".h" && extension != ".cpp") continue;
      std::ifstream in(entry.path());
      std::string line;
      while (std::getline(in, line)) {
        const std::string folder = IncludedFolder(line);
        if (folder.empty()) continue;
        found.push_back({fs::relative(entry.path(), root).string(), line,
                         LayerOfFile(root, entry.path()), folder});
      }
    }
  }
  return found;
}

}  // namespace

TEST(LayerOrder, EveryFolderIsALayer) {
  const fs::path root = VELORA_SOURCE_DIR;
  for (const auto &entry : fs::directory_iterator(root / "src")) {
    if (!entry.is_directory()) continue;
    EXPECT_GE(RankOf(entry.path().filename().string()), 0)
        << entry.path().filename() << " has no place in the layer order";
  }
}

TEST(LayerOrder, NoFileIncludesAHeaderOfAHigherLayer) {
  const fs::path root = VELORA_SOURCE_DIR;
  const std::vector<TInclusion> inclusions = Inclusions(root);
  ASSERT_FALSE(inclusions.empty());
  for (const TInclusion &inclusion : inclusions) {
    const int from = RankOf(inclusion.From);
    const int to = RankOf(inclusion.To);
    if (to < 0) continue;  // a library's own folder, e.g. "sane/sane.h"
    EXPECT_LE(to, from) << inclusion.File << " (" << inclusion.From << ") includes "
                        << inclusion.Header << " (" << inclusion.To << ")";
  }
}
