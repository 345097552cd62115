// File diagnoses for the user.
#include "platform/FileDiagnosis.h"

#include <filesystem>
#include <system_error>

#include "platform/DataFiles.h"

std::string FileDiagnosis::DescribeUnreadableImage(const std::string& path) {
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  const std::string folder = absolute.parent_path().string();
  if (!std::filesystem::exists(absolute, ignored)) {
    const std::filesystem::path installed = DataFiles::InstalledFolder();
    if (std::filesystem::path(path).is_absolute() || installed.empty()) {
      return "'" + path + "' (not found in " + folder + ")";
    }
    return "'" + path + "' (not found in " + folder + " nor in " + (installed / path).parent_path().string() + ")";
  }
  return "'" + path + "' (in " + folder + ", but it cannot be read as a PNG image)";
}
