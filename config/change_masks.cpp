#include "change_masks.h"

#include <vector>

namespace lullan::config {

namespace {
std::vector<const Setting*> BuildTable(ChangeMask mask) {
  std::vector<const Setting*> rows;
  for (unsigned shift = 0; shift < 32; ++shift) {
    if (const Setting* setting = FindByChangeBit(mask, DWORD{1} << shift)) rows.push_back(setting);
  }
  return rows;
}
}  // namespace

void ChangeMasks::Mark(ChangeBit change) noexcept {
  if (change.mask == ChangeMask::Dword) dwordChangeMask |= change.bit;
  if (change.mask == ChangeMask::String) stringChangeMask |= change.bit;
}

bool ChangeMasks::IsMarked(ChangeBit change) const noexcept {
  switch (change.mask) {
    case ChangeMask::Dword:
      return (dwordChangeMask & change.bit) != 0;
    case ChangeMask::String:
      return (stringChangeMask & change.bit) != 0;
    default:
      return false;
  }
}

std::span<const Setting* const> CopyBackTable(ChangeMask mask) {
  static const std::vector<const Setting*> dwordTable = BuildTable(ChangeMask::Dword);
  static const std::vector<const Setting*> stringTable = BuildTable(ChangeMask::String);
  switch (mask) {
    case ChangeMask::Dword:
      return dwordTable;
    case ChangeMask::String:
      return stringTable;
    default:
      return {};
  }
}

}  // namespace lullan::config
