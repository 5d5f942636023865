#pragma once
// Most-recent-first lists of recently used items (project files, folders, channel IDs).

#include <string>
#include <string_view>
#include <vector>

namespace qvs {

// A most-recent-first string list with a maximum length.
class THistory {
 public:
  // caseSensitive: whether two items that differ only in letter case are different items (file
  // paths on this platform); otherwise they are the same item (channel IDs, pictures).
  explicit THistory(int maxCount = 20, bool caseSensitive = false);

  // Puts the item at the top: an empty entry and an entry equal to the item are removed first, and
  // the last entry is dropped when the list is then longer than its maximum. Empty items are
  // ignored.
  void Add(std::string_view item);
  // Replaces the list with items read from a file: empty items and items already listed are
  // skipped; the list is not cut to its maximum.
  void Assign(const std::vector<std::string>& items);
  void Clear() { Items_.clear(); }

  bool Contains(std::string_view item) const;
  int Count() const { return static_cast<int>(Items_.size()); }
  const std::string& operator[](int i) const { return Items_[static_cast<std::size_t>(i)]; }
  const std::vector<std::string>& Items() const { return Items_; }
  int MaxCount() const { return MaxCount_; }
  bool CaseSensitive() const { return CaseSensitive_; }

 private:
  bool Same(std::string_view a, std::string_view b) const;
  int IndexOf(std::string_view item) const;

  std::vector<std::string> Items_;
  int MaxCount_;
  bool CaseSensitive_;
};

}  // namespace qvs
