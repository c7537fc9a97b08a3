#include "install_choices.h"

#include "config_host.h"
#include "file_table.h"
#include "install_dir_dlg.h"
#include "install_folder_security.h"
#include "message_box.h"
#include "product_files.h"
#include "service_account_dlg.h"
#include "setup_app.h"
#include "text_format.h"

namespace lullan::setup {

namespace {

// The directory dialog's OK without the dialog: the folder is made when
// missing and secured, then the files are copied.
bool CreateAndCopy(CSetupApp& app, HWND owner) {
  if (!PrepareInstallFolder(owner, app.installDir)) return false;
  int copied = CopyProductFiles(app, owner);
  if (copied != 0) {
    ui::ShowMessage(owner, FormatText(L"Can't copy the product files into %s (error 0x%x).", app.installDir.c_str(),
                                      static_cast<unsigned>(copied)));
  }
  return copied == 0;
}

}  // namespace

bool ChooseAccountAndDirectory(CSetupApp& app, HWND owner) {
  if (app.quiet) return CreateAndCopy(app, owner);
  CServiceAccountDlg(app).DoModal(owner);  // no account is allowed: the monitor service is then left out
  return CInstallDirDlg(app).DoModal(owner) == IDOK;
}

}  // namespace lullan::setup
