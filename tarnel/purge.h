// The purge: after a scan, the computers on which no main service answered
// are taken out of the list, when the console setting Purge is on. With
// EnableWin9x on, a Windows 9x computer that carries the in-process logoff
// component quitcom stays: it has no service manager to answer, yet the
// console can end its sessions.
//
// The purge runs on the scan's waiter thread, once every worker has ended,
// and asks the Windows 9x computers' registries there. It changes no row and
// no record itself: it hands the dialog the computers to remove, and the
// dialog removes each as soon as no operation holds it (held_computer.h).
#pragma once

#include <string>
#include <vector>

#include "console_messages.h"
#include "console_settings.h"
#include "console_state.h"
#include "scan_threads.h"

namespace lullan::tarnel {

// Decides which of the scan's `computers` go, tells the dialog, and shows
// "Purged %d computer%c from list."; the number of computers removed.
int PurgeComputers(ConsoleState& state, const std::vector<ScannedComputer>& computers, const ConsoleSettings& settings);

// Whether the installation directory that the computer's version key names
// holds quitcom.dll (the path as the console itself sees it). Only a folder
// on a drive is looked at: a UNC or device path is never opened, and the
// answer is no. A registry that cannot be read is told to `messages`, and
// the answer is no.
bool HasWin9xComponent(const std::wstring& computer, MessageSink& messages);

}  // namespace lullan::tarnel
