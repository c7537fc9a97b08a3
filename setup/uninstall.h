// The removal of the product: services stopped and deleted, the version key
// and the Add/Remove Programs entry deleted, the components unregistered,
// the shortcuts and files deleted, then a restart offered so that files in
// use go too. The product key, other versions' keys and the event-log source
// stay. Runs from the Remove button and, in uninstall mode, at start-up.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::setup {

class CSetupApp;

// Reports every failure in a message box and goes on, except when the
// service control manager cannot be opened.
void Uninstall(CSetupApp& app, HWND owner);

// The question the removal ends with, once it ran to its end.
std::wstring RemovalRestartQuestion();

// Deletes `path` below `root` with every subkey; 0 or the first registry
// error. An empty path is ERROR_BADKEY: it would name `root` itself.
LSTATUS DeleteKeyTree(HKEY root, const std::wstring& path);

}  // namespace lullan::setup
