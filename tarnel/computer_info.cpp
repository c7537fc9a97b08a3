#include "computer_info.h"

#include <algorithm>

namespace lullan::tarnel {

std::wstring CutToField(std::wstring_view text, size_t maxChars) {
  size_t kept = std::min(text.size(), maxChars);
  if (kept < text.size() && kept > 0 && IS_HIGH_SURROGATE(text[kept - 1])) --kept;
  return std::wstring(text.substr(0, kept));
}

CComputerInfo* CComputerList::FindComputer(std::wstring_view name) {
  CriticalSectionLock hold(lock_);
  for (CComputerInfo& record : records_) {
    if (::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, record.name.data(), static_cast<int>(record.name.size()),
                         name.data(), static_cast<int>(name.size())) == CSTR_EQUAL)
      return &record;
  }
  return nullptr;
}

CComputerInfo& CComputerList::AddComputer(std::wstring_view name) {
  CriticalSectionLock hold(lock_);
  return records_.emplace_back(name);
}

void CComputerList::Remove(const CComputerInfo& record) {
  CriticalSectionLock hold(lock_);
  records_.remove_if([&record](const CComputerInfo& r) { return &r == &record; });
}

void CComputerList::Clear() {
  CriticalSectionLock hold(lock_);
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
