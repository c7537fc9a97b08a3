// The change masks: one bit per configuration value (the schema's change
// bits), set by the pages, read by the console when it copies a machine's
// changed values back. setup keeps no masks.
#pragma once

#include <windows.h>

#include <span>

#include "schema.h"

namespace lullan::config {

struct ChangeMasks {
  DWORD dwordChangeMask = 0;
  DWORD stringChangeMask = 0;

  // The console clears both before it opens a sheet; pages only ever set bits.
  void Clear() noexcept { dwordChangeMask = stringChangeMask = 0; }
  void Mark(ChangeBit change) noexcept;
  bool IsMarked(ChangeBit change) const noexcept;
};

// The console's two copy-back tables, walked in this order: the values of the
// DWORD mask, then those of the string mask, each from its lowest bit up. The
// Groups subkey's bit (0x400) has no row: it names a subkey, not a value.
std::span<const Setting* const> CopyBackTable(ChangeMask mask);

}  // namespace lullan::config
