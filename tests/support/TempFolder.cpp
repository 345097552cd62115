// Per-process temporary folders for tests.
#include "tests/support/TempFolder.h"

#include <unistd.h>

TempFolder::TempFolder(const std::string& prefix)
    : root(std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(getpid()))) {
  std::filesystem::create_directories(root);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

std::string TempFolder::Path(const std::string& file) const {
  std::filesystem::create_directories(root);
  return (root / file).string();
}
