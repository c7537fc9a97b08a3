// The choices an installation asks for before it changes anything: the
// configuration monitor's account and the destination directory, into which
// the product files are then copied. Interactive setup asks in its two
// dialogs; the quiet mode has them from the command line already.
#pragma once

#include <windows.h>

namespace lullan::setup {

class CSetupApp;

// False when the administrator cancelled or the copy failed: the
// installation then ends, silently as the dialogs do, or said on the quiet
// output.
bool ChooseAccountAndDirectory(CSetupApp& app, HWND owner);

}  // namespace lullan::setup
