#include "prop_sht.h"

namespace lullan::config {

CPropSht::CPropSht(ConfigHost& host, Target target, std::wstring caption)
    : CPropertySheet(std::move(caption), PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP), host_(host), target_(std::move(target)) {}

}  // namespace lullan::config
