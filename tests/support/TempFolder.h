// Test helper: a folder of its own under the system's temporary directory, one per process (CTest
// runs each test in its own), removed with everything in it when the helper goes.
#pragma once

#include <filesystem>
#include <string>

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The path of a file in the folder, which exists by then.
  std::string Path(const std::string& file) const;
  const std::filesystem::path& Root() const { return root; }

 private:
  std::filesystem::path root;
};
