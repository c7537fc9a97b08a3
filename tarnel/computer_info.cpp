#include "computer_info.h"

#include <algorithm>

namespace lullan::tarnel {

std::wstring CutToField(std::wstring_view text, size_t maxChars) {
  size_t kept = std::min(text.size(), maxChars);
  if (kept < text.size() && kept > 0 && IS_HIGH_SURROGATE(text[kept - 1])) --kept;
  return std::wstring(text.substr(0, kept));
}

std::wstring FoldedName(std::wstring_view name) {
  std::wstring folded(name);
  if (!folded.empty()) ::CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
  return folded;
}

CComputerInfo* CComputerList::FindComputer(std::wstring_view name) {
  std::wstring key = FoldedName(name);
  CriticalSectionLock hold(lock_);
  auto found = byName_.find(key);
  return found == byName_.end() ? nullptr : &*found->second;
}

CComputerInfo& CComputerList::AddComputer(std::wstring_view name) {
  std::wstring key = FoldedName(CutToField(name, CComputerInfo::kNameChars));
  CriticalSectionLock hold(lock_);
  CComputerInfo& record = records_.emplace_back(name);
  try {
    byName_.emplace(std::move(key), std::prev(records_.end()));  // a name listed before keeps its first record
  } catch (...) {
    records_.pop_back();
    throw;
  }
  return record;
}

void CComputerList::Remove(const CComputerInfo& record) {
  CriticalSectionLock hold(lock_);
  auto indexed = byName_.find(FoldedName(record.name));
  if (indexed != byName_.end() && &*indexed->second == &record) {
    records_.erase(indexed->second);
    byName_.erase(indexed);
    return;
  }
  // A record whose name another record had first: not indexed.
  records_.remove_if([&record](const CComputerInfo& r) { return &r == &record; });
}

void CComputerList::Clear() {
  CriticalSectionLock hold(lock_);
  byName_.clear();
  records_.clear();
}

size_t CComputerList::Count() {
  CriticalSectionLock hold(lock_);
  return records_.size();
}

void CComputerList::ForEach(const std::function<void(CComputerInfo&)>& visit) {
  CriticalSectionLock hold(lock_);
  for (CComputerInfo& record : records_) visit(record);
}

}  // namespace lullan::tarnel
