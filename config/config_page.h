// The base of the five configuration pages. A page is made with its host and
// its target before the sheet opens; the first time it is shown it forms its
// target key path (the host decides which key that is) and reads; when the
// sheet is confirmed it writes. Between the two it keeps every value in its
// own members, since a page never reads another page's controls.
//
// A page derives from CConfigPage and overrides:
//   OnInitPage()    fill the controls from the key (keyPath() is formed)
//   OnKillActive()  take the controls into the members; false keeps the user
//                   on the page (and the sheet open when OK was pressed)
//   OnApply()       write the members (only pages that were shown write)
// and, for controls that act while the page is shown, OnCommand or
// OnButtonClicked (ui/dialog.h).
//
// Adding a page (tuning_page.* is the model):
//   1. its template in <page>.rc, 252 x 218 units, controls from its block of
//      resource.h, and one #include line for it in config.rc;
//   2. <page>.h/.cpp with the class, constructed as (ConfigHost&, Target);
//      reads through ConfigKey, writes through ConfigKey::Write and marks
//      each value written with MarkWritten (nothing happens in setup);
//   3. the sources in CMakeLists.txt (the .rc in OBJECT_DEPENDS);
//   4. tests in tests/config: a sheet with the page (ConfigTest::Sheet) driven
//      by a SheetSession, checking the prefix's registry and the masks;
//   5. a row in tests/config/config_preview.cpp and its picture
//      (scripts/capture-dialogs.sh <build> <name>).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "config_host.h"
#include "config_key.h"
#include "property_page.h"
#include "target.h"

namespace lullan::config {

class CConfigPage : public ui::CPropertyPage {
 public:
  CConfigPage(unsigned templateId, ConfigHost& host, Target target)
      : CPropertyPage(templateId), host_(host), target_(std::move(target)) {}

  const Target& target() const noexcept { return target_; }
  // The target key path, formed when the page is first shown.
  const std::wstring& keyPath() const noexcept { return keyPath_; }

 protected:
  virtual bool OnInitPage() = 0;

  ConfigHost& host() const noexcept { return host_; }
  bool IsSetup() const { return host_.IsSetup(); }

  // Part of the store access, with this page as the owner of any message.
  ConfigKey OpenForReading(ReadMode mode) const { return ConfigKey::ForReading(window(), keyPath_, mode); }
  ConfigKey OpenForWriting(WriteMode mode) const { return ConfigKey::ForWriting(window(), keyPath_, mode); }
  // Marks `setting` changed in the console's masks (nothing in setup).
  void MarkChanged(const Setting& setting) const noexcept { host_.MarkChanged(setting.change); }
  // Marks `setting` changed when its write succeeded.
  void MarkWritten(const Setting& setting, LSTATUS status) const noexcept {
    if (status == ERROR_SUCCESS) MarkChanged(setting);
  }
  int Message(std::wstring_view text, UINT type = MB_OK) const;

 private:
  bool OnInitDialog() final;

  ConfigHost& host_;
  Target target_;
  std::wstring keyPath_;
};

}  // namespace lullan::config
