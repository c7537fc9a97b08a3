#include "profile_stamp.h"

#include "packed_time.h"
#include "platform.h"

namespace lullan::config {

DWORD CurrentProfileStamp() {
  SYSTEMTIME now{};
  platform().clock->GetLocalTime(&now);
  return PackLocalTime(now);
}

LSTATUS WriteProfileStamp(const ConfigKey& key) {
  return key.Write(SettingOf(kProfileLastChanged), CurrentProfileStamp());
}

}  // namespace lullan::config
