#include "TempFolder.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace qvs::test {

TTempFolder::TTempFolder() {
  std::string base = std::filesystem::temp_directory_path().string() + "/qvs-test-XXXXXX";
  if (!mkdtemp(base.data())) throw std::runtime_error("cannot create a temporary folder");
  Root = base;
}

TTempFolder::~TTempFolder() {
  std::error_code ec;
  std::filesystem::permissions(Root, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(Root, ec);
}

std::string TTempFolder::Write(std::string_view name, std::string_view bytes) const {
  const auto p = Root / std::string(name);
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
  return p.string();
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace qvs::test
