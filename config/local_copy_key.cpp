#include "local_copy_key.h"

#include "message_box.h"

namespace lullan::config {

ConfigKey OpenLocalCopyForReading(HWND owner, const std::wstring& path, bool setup) {
  if (path.empty()) {
    ui::ShowMessage(owner, kLocalCopyNameMissing);
    return ConfigKey();
  }
  return ConfigKey::ForReading(owner, path, setup ? ReadMode::CreateThenReadIfExisting : ReadMode::OpenExisting);
}

ConfigKey OpenLocalCopyForWriting(HWND owner, const std::wstring& path) {
  if (path.empty()) {
    ui::ShowMessage(owner, kLocalCopyKeyMissing);
    return ConfigKey();
  }
  return ConfigKey::ForWriting(owner, path, WriteMode::OpenExisting);
}

}  // namespace lullan::config
