// The program's runtime images and the shipped scenarios' height maps: their file names and the
// painter of each.
#include "tools/TextureSet.h"

#include <png.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/PngWriter.h"
#include "tools/BillboardPainter.h"
#include "tools/HeightMapPainter.h"
#include "tools/HillMapPainter.h"
#include "tools/LargeFieldPainter.h"

const std::vector<TextureSet::Entry>& TextureSet::Entries() {
  static const std::vector<Entry> entries{
      {"ASTest.png", &HeightMapPainter::Paint},
      {"Soldier_new.png", &BillboardPainter::Soldier},
      {"Archer_new.png", &BillboardPainter::Archer},
      {"Berserker_new.png", &BillboardPainter::Berserker},
      {"Squadleader_new.png", &BillboardPainter::SquadLeader},
      {"General_new.png", &BillboardPainter::General},
      {"Blood.png", &BillboardPainter::Blood},
      {"Arrow.png", &BillboardPainter::Arrow},
  };
  return entries;
}

const std::vector<TextureSet::Entry>& TextureSet::ScenarioEntries() {
  static const std::vector<Entry> entries{
      {"hill.png", &HillMapPainter::Paint},
      {"large-256.png", &LargeFieldPainter::Paint256},
      {"large-512.png", &LargeFieldPainter::Paint512},
      {"large-1024.png", &LargeFieldPainter::Paint1024},
  };
  return entries;
}

bool TextureSet::WriteAll(const std::string& folder) { return Write(folder, Entries()); }

bool TextureSet::WriteScenarioImages(const std::string& folder) { return Write(folder, ScenarioEntries()); }

bool TextureSet::Write(const std::string& folder, const std::vector<Entry>& entries) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (const Entry& entry : entries) {
    const std::string path = (std::filesystem::path(folder) / entry.fileName).string();
    RgbaImage image = entry.paint();
    if (!PngWriter::Write(
            path, PngWriter::Image(image.width, image.height, PNG_COLOR_TYPE_RGB_ALPHA, 8, std::move(image.bytes)))) {
      return false;
    }
  }
  return true;
}
