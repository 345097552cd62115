// Tests of the image generator: the committed images (runtime and scenario maps) are exactly what
// it makes, and each loads.
#include "tools/TextureSet.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/PngPixels.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace {

// Every image the entries paint, written into a fresh folder, against the committed file of the
// same name in the committed folder.
void ExpectSameBytesAsCommitted(const std::vector<TextureSet::Entry>& entries, bool (*writeAll)(const std::string&),
                                const std::string& committedFolder, const std::string& remedy) {
  const TempFolder folder("make-textures-test");
  ASSERT_TRUE(writeAll(folder.Root().string()));
  for (const TextureSet::Entry& entry : entries) {
    const std::vector<unsigned char> committed = FileBytes::Read(committedFolder + "/" + entry.fileName);
    ASSERT_FALSE(committed.empty()) << entry.fileName << " is not committed";
    EXPECT_TRUE(committed == FileBytes::Read(folder.Path(entry.fileName)))
        << entry.fileName << " differs from the generator's output: " << remedy;
  }
}

}  // namespace

TEST(TextureSet, RegeneratedImagesMatchTheCommittedOnesByteForByte) {
  ASSERT_EQ(TextureSet::Entries().size(), 8u);
  ExpectSameBytesAsCommitted(TextureSet::Entries(), &TextureSet::WriteAll, "Textures", "re-run make-textures");
}

TEST(TextureSet, RegeneratedScenarioMapsMatchTheCommittedOnesByteForByte) {
  ASSERT_EQ(TextureSet::ScenarioEntries().size(), 4u);
  ExpectSameBytesAsCommitted(TextureSet::ScenarioEntries(), &TextureSet::WriteScenarioImages, "scenarios",
                             "re-run make-textures --scenarios scenarios");
}

TEST(TextureSet, EveryCommittedImageLoadsAsRgbaOfItsSize) {
  const std::map<std::string, int> sides{
      {"ASTest.png", 256},          {"Soldier_new.png", 128}, {"Archer_new.png", 128}, {"Berserker_new.png", 128},
      {"Squadleader_new.png", 128}, {"General_new.png", 128}, {"Blood.png", 64},       {"Arrow.png", 64}};
  for (const auto& [name, side] : sides) {
    PngRaw raw;
    ASSERT_TRUE(PngPixels::LoadRaw("Textures/" + name, raw)) << name;
    EXPECT_EQ(raw.width, side) << name;
    EXPECT_EQ(raw.height, side) << name;
    EXPECT_EQ(raw.components, 4) << name;
  }
}

TEST(TextureSet, BillboardsHaveTransparentCornersAndASolidMiddle) {
  for (const TextureSet::Entry& entry : TextureSet::Entries()) {
    if (entry.fileName == "ASTest.png") {
      continue;
    }
    const RgbaImage image = entry.paint();
    const auto alphaAt = [&image](int col, int row) {
      return image.bytes[(static_cast<std::size_t>(row) * image.width + col) * 4 + 3];
    };
    const int last = image.width - 1;
    EXPECT_EQ(alphaAt(0, 0) + alphaAt(last, 0) + alphaAt(0, last) + alphaAt(last, last), 0) << entry.fileName;
    // The blood splat is slightly translucent on purpose.
    EXPECT_GE(alphaAt(image.width / 2, image.height / 2), 230) << entry.fileName;
  }
}

TEST(TextureSet, UnwritableFolderFails) { EXPECT_FALSE(TextureSet::WriteAll("/proc/no-such-folder")); }
