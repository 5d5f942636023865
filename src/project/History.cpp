#include "project/History.h"

#include "core/TextForms.h"

namespace qvs {

THistory::THistory(int maxCount, bool caseSensitive)
    : MaxCount_(maxCount < 1 ? 1 : maxCount), CaseSensitive_(caseSensitive) {}

bool THistory::Same(std::string_view a, std::string_view b) const { return CaseSensitive_ ? a == b : SameText(a, b); }

int THistory::IndexOf(std::string_view item) const {
  for (std::size_t i = 0; i < Items_.size(); ++i)
    if (Same(Items_[i], item)) return static_cast<int>(i);
  return -1;
}

bool THistory::Contains(std::string_view item) const { return IndexOf(item) >= 0; }

void THistory::Add(std::string_view item) {
  if (item.empty()) return;
  for (auto it = Items_.begin(); it != Items_.end(); ++it)
    if (it->empty()) {
      Items_.erase(it);
      break;
    }
  if (const int i = IndexOf(item); i >= 0) Items_.erase(Items_.begin() + i);
  Items_.insert(Items_.begin(), std::string(item));
  if (Count() > MaxCount_) Items_.pop_back();
}

void THistory::Assign(const std::vector<std::string>& items) {
  Items_.clear();
  for (const auto& item : items)
    if (!item.empty() && !Contains(item)) Items_.push_back(item);
}

}  // namespace qvs
