// The working folder's files, then the installed ones.
#include "platform/DataFiles.h"

#include <system_error>

namespace fs = std::filesystem;

namespace {
fs::path ProgramFolder() {
  static const fs::path folder = [] {
    std::error_code failed;
    const fs::path program = fs::read_symlink("/proc/self/exe", failed);
    return failed ? fs::path() : program.parent_path();
  }();
  return folder;
}
}  // namespace

std::string DataFiles::Find(const std::string& relative) { return Find(relative, ProgramFolder()); }

std::string DataFiles::Find(const std::string& relative, const fs::path& programFolder) {
  std::error_code ignored;
  const fs::path name(relative);
  if (relative.empty() || name.is_absolute() || fs::exists(name, ignored)) return relative;
  const fs::path installed = InstalledFolder(programFolder);
  if (installed.empty() || !fs::exists(installed / name, ignored)) return relative;
  return (installed / name).string();
}

fs::path DataFiles::InstalledFolder() { return InstalledFolder(ProgramFolder()); }

fs::path DataFiles::InstalledFolder(const fs::path& programFolder) {
  if (programFolder.empty()) return {};
  return (programFolder / ".." / "share" / "battlesim").lexically_normal();
}
