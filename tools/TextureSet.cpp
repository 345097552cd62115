// The program's runtime images: their file names and the painter of each.
#include "tools/TextureSet.h"

#include <filesystem>
#include <system_error>

#include "tools/BillboardPainter.h"
#include "tools/HeightMapPainter.h"

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

bool TextureSet::WriteAll(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (const Entry& entry : Entries()) {
    const std::string path = (std::filesystem::path(folder) / entry.fileName).string();
    if (!RgbaPngWriter::Write(path, entry.paint())) {
      return false;
    }
  }
  return true;
}
