#include "core/DataFileList.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "core/CommaText.h"
#include "core/TextForms.h"

namespace qvs {
namespace {

// Case-insensitive order; paths equal but for case are ordered by their bytes so that both stay.
bool PathLess(const std::string& a, const std::string& b) {
  const int c = CompareText(a, b);
  return c != 0 ? c < 0 : a < b;
}

bool IsDrivePath(std::string_view p) {
  std::string s(p);
  if (s.empty() || (s.back() != '\\' && s.back() != '/')) s += '\\';
  return s.size() >= 3 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':' &&
         (s[2] == '\\' || s[2] == '/');
}

std::string Normal(const std::filesystem::path& p) { return p.lexically_normal().string(); }

std::string CurrentFolder() {
  std::error_code ec;
  auto p = std::filesystem::current_path(ec);
  return ec ? std::string("/") : p.string();
}

}  // namespace

bool IsAbsoluteProjectPath(std::string_view path) { return (!path.empty() && path[0] == '/') || IsDrivePath(path); }

std::string ExpandFileName(std::string_view path) {
  if (IsDrivePath(path)) return std::string(path);
  if (!path.empty() && path[0] == '/') return Normal(std::filesystem::path(std::string(path)));
  return Normal(std::filesystem::path(CurrentFolder()) / std::string(path));
}

std::string ExpandProjectPath(std::string_view folder, std::string_view path) {
  if (IsAbsoluteProjectPath(path)) return ExpandFileName(path);
  // A relative path written by the Windows program uses "\" between its folders.
  std::string rel(path);
  std::replace(rel.begin(), rel.end(), '\\', '/');
  while (!rel.empty() && rel[0] == '/') rel.erase(0, 1);
  const std::string base = ExpandFileName(folder.empty() ? std::string_view(".") : folder);
  return Normal(std::filesystem::path(base) / rel);
}

std::string RelativeProjectPath(std::string_view folder, std::string_view path) {
  if (IsDrivePath(path) || path.empty() || path[0] != '/') return std::string(path);
  const std::filesystem::path base(ExpandFileName(folder.empty() ? std::string_view(".") : folder));
  const std::filesystem::path rel = std::filesystem::path(std::string(path)).lexically_normal().lexically_relative(base);
  // A relative path must read back as itself: a "\" in it would read as a folder delimiter and a
  // first folder named like a drive ("C:") as a drive path, so such paths stay absolute.
  const std::string relative = rel.string();
  if (rel.empty() || relative.find('\\') != std::string::npos || IsDrivePath(relative)) return std::string(path);
  return relative;
}

int TDataFileList::IndexOf(std::string_view path) const {
  // The lines are kept in PathLess order, so the exact path is found by halving.
  const std::string key(path);
  const auto pos = std::lower_bound(Lines.begin(), Lines.end(), key,
                                    [](const auto& line, const std::string& p) { return PathLess(line.first, p); });
  return pos != Lines.end() && pos->first == key ? static_cast<int>(pos - Lines.begin()) : -1;
}

bool TDataFileList::AddEntry(const std::string& path, std::unique_ptr<TQVSDataSet> entry) {
  if (!entry || IndexOf(path) >= 0) return false;
  auto pos = std::upper_bound(Lines.begin(), Lines.end(), path,
                              [](const std::string& p, const auto& line) { return PathLess(p, line.first); });
  Lines.insert(pos, {path, std::move(entry)});
  return true;
}

void TDataFileList::DeleteEntry(int i) {
  if (i < 0 || i >= Count()) return;
  Lines.erase(Lines.begin() + i);
}

void TDataFileList::ClearEntries() {
  for (int i = Count() - 1; i >= 0; --i) DeleteEntry(i);
}

void TDataFileList::Sort() {
  std::stable_sort(Lines.begin(), Lines.end(), [](const auto& a, const auto& b) { return PathLess(a.first, b.first); });
}

int TDataFileList::CountEnabled() const {
  return static_cast<int>(std::count_if(Lines.begin(), Lines.end(), [](const auto& l) { return l.second->Enabled; }));
}

int TDataFileList::CountTemperature() const {
  return static_cast<int>(
      std::count_if(Lines.begin(), Lines.end(), [](const auto& l) { return l.second->UsesTemperature(); }));
}

int TDataFileList::CountHumidity() const {
  return static_cast<int>(
      std::count_if(Lines.begin(), Lines.end(), [](const auto& l) { return l.second->UsesHumidity(); }));
}

std::string TDataFileList::ToProjectText(const std::string& projectFilePath) const {
  const std::string folder = ExtractFilePath(ExpandFileName(projectFilePath));
  std::vector<std::string> items;
  items.reserve(Lines.size());
  for (const auto& [path, entry] : Lines)
    items.push_back(ToCommaText({RelativeProjectPath(folder, path), entry->ID, entry->Enabled ? "1" : "0"}));
  return ToCommaText(items);
}

void TDataFileList::FromProjectText(std::string_view text, const std::string& projectFilePath) {
  ClearEntries();
  const std::string folder = ExtractFilePath(ExpandFileName(projectFilePath));
  for (const std::string& item : FromCommaText(text)) {
    const std::vector<std::string> fields = FromCommaText(item);
    const std::string stored = CommaValue(fields, 0);
    // An item without a path names no file; joining it to the folder would list the folder itself.
    if (Trim(stored).empty()) continue;
    auto entry = std::make_unique<TQVSDataSet>();
    entry->ID = CommaValue(fields, 1);
    entry->Enabled = CommaValue(fields, 2) != "0";
    AddEntry(ExpandProjectPath(folder, stored), std::move(entry));
  }
}

}  // namespace qvs
