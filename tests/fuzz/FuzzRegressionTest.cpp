// Runs the committed fuzzing seeds, the shipped scenarios and the inputs that once broke something
// through the harness bodies, and holds every file to what its name says: ok-<W>x<H>-c<K>-... to
// its size, ok-... to being taken (a script's calls never failing), fails-... to a script that
// loads and fails in a call, bad-... to refusal. A file named otherwise, or a folder missing or
// empty, fails: an input nobody judges guards nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "platform/PngPixels.h"
#include "tests/fuzz/FuzzTargets.h"
#include "tests/support/FileBytes.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct Expected {
  int width = 0;
  int height = 0;
  int components = 0;
};

// The tests run from the project root.
std::vector<fs::path> FilesIn(const std::string& folder) {
  std::vector<fs::path> files;
  if (!fs::is_directory(folder)) {
    ADD_FAILURE() << folder << ": no such folder";
    return files;
  }
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  if (files.empty()) ADD_FAILURE() << folder << ": holds no files";
  std::sort(files.begin(), files.end());
  return files;
}

bool Named(const fs::path& path, const char* prefix) { return path.filename().string().rfind(prefix, 0) == 0; }

bool IsBad(const fs::path& path) { return Named(path, "bad-"); }

bool ParseOk(const fs::path& path, Expected& expected) {
  static const std::regex pattern(R"(ok-(\d+)x(\d+)-c(\d)-.*)");
  std::smatch match;
  const std::string name = path.filename().string();
  if (!std::regex_match(name, match, pattern)) {
    return false;
  }
  expected = {std::stoi(match[1]), std::stoi(match[2]), std::stoi(match[3])};
  return true;
}

using Harness = FuzzOutcome (*)(const std::uint8_t* data, std::size_t size);

void ExpectOutcome(const fs::path& path, Harness harness) {
  SCOPED_TRACE(path.string());
  const Bytes bytes = FileBytes::Read(path.string());
  const FuzzOutcome outcome = harness(bytes.data(), bytes.size());
  Expected expected;
  if (IsBad(path)) {
    EXPECT_FALSE(outcome.loaded);
  } else if (Named(path, "fails-")) {
    EXPECT_TRUE(outcome.loaded);
    EXPECT_TRUE(outcome.failed);
  } else if (ParseOk(path, expected)) {
    EXPECT_TRUE(outcome.loaded);
    EXPECT_EQ(expected.width, outcome.width);
    EXPECT_EQ(expected.height, outcome.height);
    EXPECT_EQ(expected.components, outcome.components);
  } else if (Named(path, "ok-")) {
    EXPECT_TRUE(outcome.loaded);
    EXPECT_FALSE(outcome.failed);
  } else {
    ADD_FAILURE() << "named neither ok-, fails- nor bad-: nothing says what it must come to";
  }
}

std::size_t CountIf(const std::vector<fs::path>& files, bool bad) {
  return static_cast<std::size_t>(
      std::count_if(files.begin(), files.end(), [bad](const fs::path& path) { return IsBad(path) == bad; }));
}

// Every seed of a corpus through its harness, once the corpus holds enough broken and valid seeds
// for the outcomes to mean anything.
void ExpectCorpusOutcomes(const std::string& folder, std::size_t leastBroken, std::size_t leastValid, Harness harness) {
  const std::vector<fs::path> files = FilesIn(folder);
  ASSERT_GE(CountIf(files, true), leastBroken);
  ASSERT_GE(CountIf(files, false), leastValid);
  for (const fs::path& path : files) {
    ExpectOutcome(path, harness);
  }
}

}  // namespace

TEST(FuzzPngCorpus, ValidSeedsDecodeToTheirNamedSizeAndBrokenOnesAreRefused) {
  ExpectCorpusOutcomes("tests/fuzz/corpus/png", 15, 10, DecodePngBytes);
}

TEST(FuzzPngCorpus, FileAndMemoryDecodesAgree) {
  for (const fs::path& path : FilesIn("tests/fuzz/corpus/png")) {
    SCOPED_TRACE(path.string());
    const Bytes bytes = FileBytes::Read(path.string());
    PngRaw fromFile;
    PngRaw fromMemory;
    EXPECT_EQ(PngPixels::LoadRaw(path.string(), fromFile),
              PngPixels::LoadRawFromMemory(bytes.data(), bytes.size(), fromMemory));
    EXPECT_EQ(fromFile.width, fromMemory.width);
    EXPECT_EQ(fromFile.height, fromMemory.height);
    EXPECT_EQ(fromFile.components, fromMemory.components);
    EXPECT_EQ(fromFile.pixels, fromMemory.pixels);
  }
}

TEST(FuzzPngCorpus, NoBytesAtAllAreRefused) {
  PngRaw raw;
  EXPECT_FALSE(PngPixels::LoadRawFromMemory(nullptr, 0, raw));
  EXPECT_FALSE(DecodePngBytes(nullptr, 0).loaded);
}

TEST(FuzzHeightMapCorpus, ValidSeedsBecomeTerrainsOfTheirNamedSizeAndBrokenOnesLeaveItEmpty) {
  ExpectCorpusOutcomes("tests/fuzz/corpus/heightmap", 2, 10, LoadHeightMapBytes);
}

TEST(FuzzHeightMapCorpus, RuntimeImagesLoadAsTerrains) {
  const std::vector<fs::path> files = FilesIn("Textures");
  ASSERT_FALSE(files.empty());
  for (const fs::path& path : files) {
    SCOPED_TRACE(path.string());
    const Bytes bytes = FileBytes::Read(path.string());
    EXPECT_TRUE(DecodePngBytes(bytes.data(), bytes.size()).loaded);
    EXPECT_TRUE(LoadHeightMapBytes(bytes.data(), bytes.size()).loaded);
  }
}

TEST(FuzzBattleCorpus, SavedBattlesReadBackOnTheirGroundAndDamagedOnesAreRefused) {
  ExpectCorpusOutcomes("tests/fuzz/corpus/battle", 3, 1, ReadBattleBytes);
}

TEST(FuzzScenarioCorpus, ShippedScenariosAreAcceptedAndTheirArmiesRaised) {
  const std::vector<fs::path> files = FilesIn("scenarios");
  ASSERT_GE(files.size(), 5u);
  for (const fs::path& path : files) {
    if (path.extension() != ".toml") continue;
    SCOPED_TRACE(path.string());
    const Bytes bytes = FileBytes::Read(path.string());
    const FuzzOutcome outcome = LoadScenarioBytes(bytes.data(), bytes.size());
    EXPECT_TRUE(outcome.loaded);
    // The fuzz target raises armies of up to 3000 units; the large scenarios are only read.
    if (path.stem().string().rfind("large-", 0) == 0) continue;
    EXPECT_EQ(outcome.width, 256);
    EXPECT_EQ(outcome.height, 256);
  }
}

TEST(FuzzDesignCorpus, ShippedDesignsAndSeedsAreAcceptedAndTheirPointsMade) {
  for (const std::string folder : {"designs", "tests/fuzz/corpus/design"}) {
    for (const fs::path& path : FilesIn(folder)) {
      SCOPED_TRACE(path.string());
      const Bytes bytes = FileBytes::Read(path.string());
      const FuzzOutcome outcome = LoadDesignBytes(bytes.data(), bytes.size());
      EXPECT_TRUE(outcome.loaded);
      EXPECT_GE(outcome.width, 5);
    }
  }
}

TEST(FuzzScenarioCorpus, SeedsComeToWhatTheirNamesSay) {
  ExpectCorpusOutcomes("tests/fuzz/corpus/scenario", 3, 2, LoadScenarioBytes);
}

TEST(FuzzShardMergeCorpus, ShardOutputIsTakenAndShardsCutShortOrInterruptedAreRefused) {
  const std::vector<fs::path> files = FilesIn("tests/fuzz/corpus/shardmerge");
  ASSERT_GE(CountIf(files, true), 3u);
  ASSERT_GE(CountIf(files, false), 2u);
  for (const fs::path& path : files) {
    SCOPED_TRACE(path.string());
    const Bytes bytes = FileBytes::Read(path.string());
    EXPECT_EQ(MergeShardBytes(bytes.data(), bytes.size()).loaded, !IsBad(path));
  }
}

TEST(FuzzLuaCorpus, ShippedStrategiesLoadAndSeedsPassTheHarness) {
  const std::vector<fs::path> shipped = FilesIn("strategies");
  ASSERT_GE(shipped.size(), 4u);
  for (const fs::path& path : shipped) {
    SCOPED_TRACE(path.string());
    const Bytes bytes = FileBytes::Read(path.string());
    const FuzzOutcome outcome = RunStrategyBytes(bytes.data(), bytes.size());
    EXPECT_TRUE(outcome.loaded);
    EXPECT_FALSE(outcome.failed);
  }
  for (const fs::path& path : FilesIn("tests/fuzz/corpus/lua")) ExpectOutcome(path, RunStrategyBytes);
}

// Each kept input under the harness its folder names; a folder no harness reads fails.
TEST(FuzzRegressions, InputsThatOnceFailedComeToWhatTheirNamesSay) {
  const std::map<std::string, Harness> harnesses = {{"png", DecodePngBytes},
                                                    {"heightmap", LoadHeightMapBytes},
                                                    {"scenario", LoadScenarioBytes},
                                                    {"shardmerge", MergeShardBytes},
                                                    {"lua", RunStrategyBytes}};
  std::size_t folders = 0;
  for (const auto& entry : fs::directory_iterator("tests/fuzz/regressions")) {
    const std::string target = entry.path().filename().string();
    const auto harness = harnesses.find(target);
    if (harness == harnesses.end()) {
      ADD_FAILURE() << entry.path() << ": no harness is named " << target;
      continue;
    }
    ++folders;
    for (const fs::path& path : FilesIn(entry.path().string())) ExpectOutcome(path, harness->second);
  }
  EXPECT_GE(folders, 3u);
}
