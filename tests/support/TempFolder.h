#pragma once
// A temporary folder for one test, removed with everything in it when the test ends.

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace qvs::test {

class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::filesystem::path& Path() const { return Root; }
  // The folder with a trailing "/".
  std::string Folder() const { return Root.string() + "/"; }
  std::string File(std::string_view name) const { return (Root / std::string(name)).string(); }
  // Writes bytes to a file inside the folder (creating sub-folders) and returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path Root;
};

std::string ReadWholeFile(const std::string& path);

}  // namespace qvs::test
