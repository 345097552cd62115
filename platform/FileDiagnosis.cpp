// File diagnoses for the user.
#include "platform/FileDiagnosis.h"

#include <filesystem>
#include <system_error>

std::string FileDiagnosis::DescribeUnreadableImage(const std::string& path) {
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  const std::string folder = absolute.parent_path().string();
  if (!std::filesystem::exists(absolute, ignored)) return "'" + path + "' (not found in " + folder + ")";
  return "'" + path + "' (in " + folder + ", but it cannot be read as a PNG image)";
}
