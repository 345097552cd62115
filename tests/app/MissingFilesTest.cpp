// A height map that cannot be read is named to the user with the folder it was looked for in, and
// one whose height comes from the blue channel is warned about.
#include <gtest/gtest.h>
#include <png.h>

#include <fstream>
#include <string>

#include "app/setup/MissingFiles.h"
#include "battle/Battle.h"
#include "platform/DataFiles.h"
#include "platform/PngWriter.h"
#include "tests/support/TempFolder.h"

TEST(MissingFiles, AnUnreadableHeightMapIsNamedWithItsFolderAndWhy) {
  TempFolder folder("battlesim-missing");
  const std::string corrupt = folder.Path("cut.png");
  std::ofstream(corrupt) << "\x89PNG\r\n\x1a\n cut short";
  const std::string missing = (folder.Root() / "nowhere.png").string();

  testing::internal::CaptureStderr();
  EXPECT_FALSE(MissingFiles::GroundReadable(missing, "battlesim-headless"));
  EXPECT_FALSE(MissingFiles::GroundReadable(corrupt, "battlesim-headless"));
  EXPECT_TRUE(MissingFiles::GroundReadable("Textures/ASTest.png", "battlesim-headless"));
  const std::string said = testing::internal::GetCapturedStderr();

  const std::string where = folder.Root().string();
  EXPECT_NE(said.find("battlesim-headless: cannot read the height map '" + missing + "' (not found in " + where + ")"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("'" + corrupt + "' (in " + where + ", but it cannot be read as a PNG image)"), std::string::npos)
      << said;
  EXPECT_EQ(said.find("ASTest"), std::string::npos) << said;
}

// Red hills on a colour map without alpha: its blue bytes, the height, are all zero.
TEST(MissingFiles, AColourMapWithoutAlphaIsNamedOnceByEachProgram) {
  TempFolder folder("battlesim-blue");
  PngWriterImage image{100, 100, PNG_COLOR_TYPE_RGB, 8, {}, {}, {}};
  for (int i = 0; i < 100 * 100; ++i) image.rows.insert(image.rows.end(), {static_cast<unsigned char>(i % 251), 0, 0});
  const std::string redHills = folder.Path("red-hills.png");
  ASSERT_TRUE(PngWriter::Write(redHills, image));
  Scenario scenario;
  scenario.heightMap = redHills;
  const Battle battle(scenario);

  testing::internal::CaptureStderr();
  EXPECT_TRUE(MissingFiles::GroundReadable(redHills, "battlesim-headless"));
  MissingFiles::ReportGround(battle, "battlesim");
  EXPECT_TRUE(MissingFiles::GroundReadable("Textures/ASTest.png", "battlesim-headless"));
  const std::string said = testing::internal::GetCapturedStderr();

  const std::string why = ": height read from the blue channel; save it as grey or with an alpha channel\n";
  EXPECT_EQ(said, "battlesim-headless: " + redHills + why + "battlesim: " + redHills + why);
}

TEST(MissingFiles, AnImageMissingHereIsTakenFromBesideTheInstalledProgram) {
  TempFolder prefix("battlesim-installed");
  std::filesystem::create_directories(prefix.Root() / "bin");
  std::filesystem::create_directories(prefix.Root() / "share/battlesim/Textures");
  std::ofstream(prefix.Path("share/battlesim/Textures/Only.png")) << "x";
  std::ofstream(prefix.Path("share/battlesim/Textures/Arrow.png")) << "x";
  const std::filesystem::path bin = prefix.Root() / "bin";
  EXPECT_EQ(DataFiles::Find("Textures/Only.png", bin), prefix.Path("share/battlesim/Textures/Only.png"));
  EXPECT_EQ(DataFiles::Find("Textures/Arrow.png", bin), "Textures/Arrow.png") << "the working folder comes first";
  EXPECT_EQ(DataFiles::Find("Textures/None.png", bin), "Textures/None.png");
}
