// Tests of scenario files: what a file says reaches the Scenario, what it leaves out keeps the
// built-in battle, and every fault is refused with its place in the file and the reason.
#include "app/setup/ScenarioFile.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/run/HeadlessRunner.h"
#include "app/setup/ScenarioWriter.h"
#include "app/setup/UnitCount.h"
#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "platform/PngWriter.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

const TempFolder& Folder() {
  static const TempFolder folder("scenario-file-test");
  return folder;
}

// A grey map: the height is the grey value.
std::string WriteGreyMap(const std::string& file, int width, int height) {
  PngWriterImage image;
  image.width = width;
  image.height = height;
  image.colourType = PNG_COLOR_TYPE_GRAY;
  image.rows.assign(static_cast<std::size_t>(width) * height, 0);
  for (std::size_t i = 0; i < image.rows.size(); ++i) image.rows[i] = static_cast<unsigned char>(i % 7);
  const std::string path = Folder().Path(file);
  EXPECT_TRUE(PngWriter::Write(path, image));
  return path;
}

// Parsed as if it were scenarios/test.toml; tests run from the project root.
std::string ParseError(const std::string& text) {
  Scenario scenario;
  std::string error;
  EXPECT_FALSE(ScenarioFile::Parse(text, "test.toml", "scenarios", scenario, error)) << text;
  return error;
}

void ExpectSameArmy(const ArmySetup& a, const ArmySetup& b) {
  EXPECT_EQ(a.squads, b.squads);
  EXPECT_EQ(a.followers, b.followers);
  EXPECT_EQ(a.memberTypes, b.memberTypes);
}

void ExpectSameBattle(const Scenario& a, const Scenario& b) {
  EXPECT_EQ(a.heightMap, b.heightMap);
  EXPECT_EQ(a.low, b.low);
  EXPECT_EQ(a.high, b.high);
  ExpectSameArmy(a.armies[0], b.armies[0]);
  ExpectSameArmy(a.armies[1], b.armies[1]);
  EXPECT_EQ(a.duel.typeAdvantage, b.duel.typeAdvantage);
  EXPECT_EQ(a.duel.formationAdvantage, b.duel.formationAdvantage);
}

}  // namespace

TEST(ScenarioFile, ShippedDefaultIsTheBuiltInBattle) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ScenarioFile::Load("scenarios/default.toml", scenario, error)) << error;
  ExpectSameBattle(scenario, Scenario{});
  EXPECT_EQ(scenario.name, "Default battle");
}

TEST(ScenarioFile, EveryShippedScenarioLoadsAndSaysWhatToWatchFor) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("scenarios")) {
    if (entry.path().extension() != ".toml") continue;
    Scenario scenario;
    std::string error;
    EXPECT_TRUE(ScenarioFile::Load(entry.path().string(), scenario, error)) << error;
    EXPECT_EQ(FileBytes::Read(entry.path().string())[0], '#') << entry.path();
    ++count;
  }
  EXPECT_GE(count, 4);
}

TEST(ScenarioFile, EmptyFileIsTheBuiltInBattle) {
  Scenario scenario;
  scenario.low = 3.0f;
  std::string error;
  ASSERT_TRUE(ScenarioFile::Parse("", "empty.toml", "scenarios", scenario, error)) << error;
  ExpectSameBattle(scenario, Scenario{});
}

TEST(ScenarioFile, EveryKeyReachesTheScenarioAndTheMapIsFoundBesideTheFile) {
  fs::create_directories(Folder().Root() / "maps");
  WriteGreyMap("maps/field.png", 200, 300);
  const std::string text = R"(name = "Full"
[terrain]
height_map = "maps/field.png"
low = -2
high = 7.5
[red]
squads = 12
followers = 1
types = ["berserker", "soldier", "archer"]
[blue]
squads = 0
[duel]
type_advantage = [[1, 0, 0, 0, 0], [0, 1, 0, 0, 0], [0, 0, 1, 0, 0], [0, 0, 0, 1, 0], [0, 0, 0, 0, -1]]
formation_advantage = [[0.5, 0, 0], [0, 0.5, 0], [0, 0, -0.5]]
)";
  ASSERT_TRUE(FileBytes::Write(Folder().Path("full.toml"), {text.begin(), text.end()}));
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ScenarioFile::Load(Folder().Path("full.toml"), scenario, error)) << error;
  EXPECT_EQ(scenario.name, "Full");
  EXPECT_EQ(scenario.heightMap, (Folder().Root() / "maps" / "field.png").string());
  EXPECT_EQ(scenario.low, -2.0f);
  EXPECT_EQ(scenario.high, 7.5f);
  EXPECT_EQ(scenario.armies[0].squads, 12);
  EXPECT_EQ(scenario.armies[0].followers, 1);
  EXPECT_EQ(scenario.armies[0].memberTypes, (std::vector<int>{2, 0, 1}));
  ExpectSameArmy(scenario.armies[1], ArmySetup{0, ArmySetup::kMostFollowers, {}, {}, {}, {}, false, 0.0f, 0.0f});
  EXPECT_EQ(scenario.duel.typeAdvantage[3][3], 1.0f);
  EXPECT_EQ(scenario.duel.typeAdvantage[4][4], -1.0f);
  EXPECT_EQ(scenario.duel.typeAdvantage[0][1], 0.0f);
  EXPECT_EQ(scenario.duel.formationAdvantage[2][2], -0.5f);
}

TEST(ScenarioFile, FaultsAreRefusedWithTheirPlaceAndReason) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"name = \n", "test.toml:1:8: Error while parsing key-value pair: expected value, saw '\\n'"},
      {"nmae = \"x\"", "test.toml:1:1: unknown key \"nmae\" (did you mean \"name\"?)"},
      {"[terain]", "test.toml:1:2: unknown table \"terain\" (did you mean \"terrain\"?)"},
      {"[red]\nsquads = 3\nsqauds = 4", "test.toml:3:1: unknown key \"sqauds\" in [red] (did you mean \"squads\"?)"},
      {"red = 5", "test.toml:1:7: [red] must be a table, not an integer"},
      {"[blue]\nsquads = \"5\"", "test.toml:2:10: blue.squads must be an integer, not a string"},
      {"[blue]\nsquads = 5.0", "test.toml:2:10: blue.squads must be an integer, not a floating-point number"},
      {"[red]\nsquads = 5001", "test.toml:2:10: red.squads is 5001; the allowed range is 0 to 5000"},
      {"[red]\nsquads = 9223372036854775807",
       "test.toml:2:10: red.squads is 9223372036854775807; the allowed range is 0 to 5000"},
      {"[red]\nfollowers = 40", "test.toml:2:13: red.followers is 40; the allowed range is 1 to 39"},
      {"[red]\ntypes = []", "test.toml:2:9: red.types must name at least one type"},
      {"[red]\ntypes = [\"archer\", \"knight\"]",
       "test.toml:2:20: red.types[1] is \"knight\"; it must be one of \"soldier\", \"archer\", \"berserker\""},
      {"[terrain]\nlow = nan", "test.toml:2:7: terrain.low is nan; the allowed range is -1000 to 1000"},
      {"[terrain]\nlow = 5\nhigh = 4", "test.toml:3:8: terrain.low (5) must not be above terrain.high (4)"},
      {"name = \"\"\"" + std::string(101, 'n') + "\"\"\"",
       "test.toml:1:8: name is 101 bytes long; at most 100 are allowed"},
      {"[duel]\nformation_advantage = [[0, 0, 0], [0, 0, 0]]",
       "test.toml:2:23: duel.formation_advantage must have 3 rows, not 2"},
      {"[duel]\nformation_advantage = [[0, 0, 0], [0, 0], [0, 0, 0]]",
       "test.toml:2:35: duel.formation_advantage[1] must have 3 numbers, not 2"},
      {"[duel]\nformation_advantage = [[0, 0, 0], [0, 0, 1.5], [0, 0, 0]]",
       "test.toml:2:42: duel.formation_advantage[1][2] is 1.5; the allowed range is -1 to 1"},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ParseError(text), expected);
  }
}

TEST(ScenarioFile, UnreadableHeightMapsAreRefusedWithThePathLookedAt) {
  WriteGreyMap("tiny.png", 64, 64);
  fs::create_directories(Folder().Root() / "maps");
  const std::vector<unsigned char> valid = FileBytes::Read(WriteGreyMap("valid.png", 100, 100));
  std::vector<unsigned char> huge = valid;
  huge[18] = huge[22] = 0x13;  // 0x1364 = 4964 on each side; the rest of the file no longer matches
  ASSERT_TRUE(FileBytes::Write(Folder().Path("huge.png"), huge));
  // Over the limit on one side only: 4097 x 16 and 16 x 4097.
  std::vector<unsigned char> wide = valid;
  std::vector<unsigned char> tall = valid;
  wide[18] = 0x10, wide[19] = 0x01, wide[23] = 0x10;
  tall[19] = 0x10, tall[22] = 0x10, tall[23] = 0x01;
  ASSERT_TRUE(FileBytes::Write(Folder().Path("wide.png"), wide));
  ASSERT_TRUE(FileBytes::Write(Folder().Path("tall.png"), tall));
  ASSERT_TRUE(FileBytes::Write(Folder().Path("cut.png"), {valid.begin(), valid.begin() + 60}));
  ASSERT_TRUE(FileBytes::Write(Folder().Path("text.png"), {'h', 'i', '\n'}));
  // Sparse: no disk is spent on the length.
  ASSERT_TRUE(FileBytes::Write(Folder().Path("long.png"), valid));
  fs::resize_file(Folder().Path("long.png"), ScenarioFile::kLargestMapBytes + 1);
  const std::string at = Folder().Root().string() + "/";
  const std::vector<std::pair<std::string, std::string>> cases{
      {"none.png", "none.png cannot be read (no such file)"},
      {"maps", "maps cannot be read (not a file)"},
      {"text.png", "text.png is not a PNG image"},
      {"huge.png", "huge.png is 4964 x 4964 pixels; at most 4096 x 4096 are allowed"},
      {"wide.png", "wide.png is 4097 x 16 pixels; at most 4096 x 4096 are allowed"},
      {"tall.png", "tall.png is 16 x 4097 pixels; at most 4096 x 4096 are allowed"},
      {"tiny.png",
       "tiny.png is 64 x 64 pixels, too small for an army's first row (at least 72 x 96) unless both "
       "armies have squads = 0"},
      {"cut.png", "cut.png is a damaged PNG image"},
      {"long.png", "long.png is larger than 268435456 bytes, the most allowed"},
  };
  for (const auto& [file, reason] : cases) {
    Scenario scenario;
    std::string error;
    const std::string text = "\n[terrain]\n height_map = \"" + file + "\"";
    EXPECT_FALSE(ScenarioFile::Parse(text, "t.toml", Folder().Root(), scenario, error));
    EXPECT_EQ(error, "t.toml:3:15: terrain.height_map: " + at + reason);
  }
}

TEST(ScenarioFile, AFlatFieldWithLowEqualToHighIsAccepted) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ScenarioFile::Parse("[terrain]\nlow = 4\nhigh = 4", "flat.toml", "scenarios", scenario, error)) << error;
  EXPECT_EQ(scenario.low, 4.0f);
  EXPECT_EQ(scenario.high, 4.0f);
}

TEST(ScenarioFile, AFileWithoutAMapRunFromAnotherFolderSaysWhereTheBuiltInMapWasLookedFor) {
  const fs::path projectRoot = fs::current_path();
  fs::current_path(Folder().Root());
  const std::string error = ParseError("[red]\nsquads = 1");
  fs::current_path(projectRoot);
  EXPECT_EQ(error.rfind("test.toml:1:1: no terrain.height_map is given and the built-in map 'Textures/ASTest.png' "
                        "(not found in " +
                            (Folder().Root() / "Textures").string(),
                        0),
            0u)
      << error;
}

TEST(ScenarioFile, ArmyThatDoesNotFitIsRefusedWithHowManyFit) {
  EXPECT_EQ(ParseError("[red]\nsquads = 141\n[blue]\nsquads = 142"),
            "test.toml:4:10: blue: 142 squads do not fit on this terrain's half (256 x 256): at most 141 fit");
}

// Generals alone need no room for a row of squads: the smallest map plays their duel to its end.
TEST(ScenarioFile, ArmiesWithoutSquadsTakeAMapOfAnySize) {
  WriteGreyMap("two.png", 2, 2);
  const std::string map = "[terrain]\nheight_map = \"two.png\"\n";
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(
      ScenarioFile::Parse(map + "[red]\nsquads = 0\n[blue]\nsquads = 0\n", "t.toml", Folder().Root(), scenario, error))
      << error;
  HeadlessOptions options;
  options.seed = 1;
  options.seedGiven = true;
  options.maxSeconds = 300.0;
  std::ostringstream out;
  HeadlessRunner(options, scenario).Run(out, nullptr);
  EXPECT_NE(out.str().find("Battle 1: blue wins after"), std::string::npos) << out.str();

  EXPECT_FALSE(
      ScenarioFile::Parse(map + "[red]\nsquads = 1\n[blue]\nsquads = 0\n", "t.toml", Folder().Root(), scenario, error));
  EXPECT_NE(error.find("two.png is 2 x 2 pixels, too small for an army's first row"), std::string::npos) << error;
}

TEST(ScenarioFile, UnreadableScenarioFileIsNamedAndLeavesTheScenarioAlone) {
  Scenario scenario;
  scenario.name = "kept";
  std::string error;
  EXPECT_FALSE(ScenarioFile::Load("scenarios/no-such.toml", scenario, error));
  EXPECT_EQ(error, "scenarios/no-such.toml: cannot read the scenario file (No such file or directory)");
  EXPECT_FALSE(ScenarioFile::Parse("name = \"x\"\n[red]\nsquads = 6000", "t.toml", ".", scenario, error));
  EXPECT_EQ(scenario.name, "kept");
  EXPECT_FALSE(
      ScenarioFile::Parse(std::string(ScenarioFile::kLargestFileBytes + 1, ' '), "big.toml", ".", scenario, error));
  EXPECT_EQ(error, "big.toml: the scenario file is larger than 1048576 bytes, the most allowed");
}

TEST(ScenarioFile, PlacedSquadsStandWhereTheFilePutsThemWithTheirTypeFollowersAndFormation) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(
      ScenarioFile::Parse("[red]\ngeneral_x = 5\ngeneral_z = 60\n"
                          "[[red.squad]]\nx = -20\nz = 30\ntype = \"archer\"\nfollowers = 20\nformation = \"wedge\"\n"
                          "[[blue.squad]]\nx = 0\nz = -30\ntype = \"berserker\"\n",
                          "placed.toml", ".", scenario, error))
      << error;
  Battle battle(scenario, 5);
  battle.StartBattle();
  const GameObject* general = battle.objects->FindGeneral(0);
  const GameObject* leader = battle.Find("SquadLeader 0");
  ASSERT_NE(general, nullptr);
  ASSERT_NE(leader, nullptr);
  EXPECT_EQ(general->GetSprite()->position.x, 5.0f);
  EXPECT_EQ(general->GetSprite()->position.z, 60.0f);
  EXPECT_EQ(leader->GetSprite()->position.x, -20.0f);
  EXPECT_EQ(leader->GetSprite()->position.z, 30.0f);
  EXPECT_EQ(leader->subordinates.size(), 20u);
  EXPECT_EQ(leader->formationKind, 2);
  EXPECT_EQ(battle.SquadTypes(Team::Red), std::vector<int>{UnitType::Archer});
  EXPECT_EQ(battle.SquadTypes(Team::Blue), std::vector<int>{UnitType::Berserker});
  EXPECT_EQ(UnitCount::Of(scenario), 1 + 21 + 1 + 40);  // a General and the squads of each side
}

TEST(ScenarioFile, RefusesPlacedSquadsOffTheMapInTheWrongHalfOrBesideSquadCounts) {
  EXPECT_EQ(ParseError("[[blue.squad]]\nx = 0\nz = 30\ntype = \"archer\""),
            "test.toml:1:1: blue squad 1 at (0, 30) stands outside its army's half (z below 0)");
  EXPECT_EQ(
      ParseError("[[red.squad]]\nx = -2000\nz = 30\ntype = \"archer\""),
      "test.toml:1:1: red squad 1 at (-2000, 30) is off the map, which runs from x -128 to 127 and z -127 to 128");
  EXPECT_EQ(ParseError("[red]\nsquads = 3\n[[red.squad]]\nx = 0\nz = 30\ntype = \"archer\""),
            "test.toml:2:10: red.squads cannot stand beside [[red.squad]] tables, which place every squad");
  EXPECT_EQ(ParseError("[[red.squad]]\nx = 0\nz = 30\ntype = \"archer\"\nformation = \"blob\""),
            "test.toml:5:13: red.squad.formation is \"blob\"; block, wedge or vee are known");
}

std::string TextOf(const std::string& path) {
  const std::vector<unsigned char> bytes = FileBytes::Read(path);
  return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text) {
  FileBytes::Write(path, std::vector<unsigned char>(text.begin(), text.end()));
}

// What the editor saves reads back to the same squads and saves to the same text, and whatever
// else the file held stays.
TEST(ScenarioWriter, SavesPlacedSquadsBesideTheFilesOtherKeysAndReadsThemBackAlike) {
  const std::string path = Folder().Path("saved.toml");
  WriteText(path, "name = \"kept\"\n[terrain]\nlow = 1\nhigh = 14\n[red]\nsquads = 6\ntypes = [\"archer\"]\n");
  Scenario placed;
  placed.armies[0].placed = {PlacedSquad{-20.0f, 30.0f, UnitType::Archer, 20, 2}};
  placed.armies[0].generalPlaced = true;
  placed.armies[0].generalX = 0.0f;
  placed.armies[0].generalZ = 50.0f;
  std::string error;
  ASSERT_TRUE(ScenarioWriter::Save(path, placed, error)) << error;
  Scenario read;
  ASSERT_TRUE(ScenarioFile::Load(path, read, error)) << error;
  EXPECT_EQ(read.name, "kept");
  EXPECT_EQ(read.high, 14.0f);
  EXPECT_EQ(read.armies[0].placed, placed.armies[0].placed);
  EXPECT_EQ(read.armies[0].generalZ, 50.0f);
  EXPECT_EQ(read.armies[1].squads, 0);
  const std::string first = TextOf(path);
  ASSERT_TRUE(ScenarioWriter::Save(path, read, error)) << error;
  EXPECT_EQ(TextOf(path), first);
}

TEST(ScenarioWriter, RefusesToSaveOverAFileThatHoldsNoScenario) {
  const std::string path = Folder().Path("nonsense.toml");
  WriteText(path, "this is [not toml\n");
  std::string error;
  EXPECT_FALSE(ScenarioWriter::Save(path, Scenario{}, error));
  EXPECT_EQ(error.rfind(path + ": not saved, the file holds no scenario to keep (", 0), 0u) << error;
  EXPECT_EQ(TextOf(path), "this is [not toml\n");
}
