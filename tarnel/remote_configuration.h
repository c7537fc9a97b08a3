// "Configure": edits one workstation's configuration with the configuration
// sheet. The pages never reach the workstation: its version key is fetched
// into a local copy key under the console key, the sheet edits the copy, and
// the values the pages marked changed go back to the workstation afterwards.
//
// The copy is exact: what the workstation no longer has is not kept from an
// earlier fetch, since the General page marks its texts changed as soon as
// it shows them and would carry a stale value back. The Groups subkey goes
// back whole when the Groups page changed it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "change_masks.h"
#include "console_messages.h"

namespace lullan::tarnel {

// Whether the console can keep a local copy for a computer of that name: a
// computer name names one key below the console key, and not the key that
// holds the shared profiles.
bool IsLocalCopyName(const std::wstring& computer);

// Makes HKEY_LOCAL_MACHINE\<localCopyPath> an exact copy of the version key
// of `computer` (the name as listed): its values and those of its subkeys
// (one level: the Groups subkey), nothing else. `versionKeyPath` becomes the
// version key's path on the workstation. False, after telling `messages`
// why, when the copy is not complete (the sheet must not open on it). A
// workstation whose keys hold more than 10,000 values or subkeys, or a value
// larger than 1 MiB, is refused, and no local copy of it is left. Any
// thread.
bool CopyRemoteConfiguration(const std::wstring& computer, const std::wstring& localCopyPath,
                             std::wstring& versionKeyPath, MessageSink& messages);

// Copies one key's values from a workstation exactly: those of
// <remoteRoot>\<remotePath> to HKEY_LOCAL_MACHINE\<localPath>, a long text as
// whole as a flag, and removes the local values the workstation lacks;
// ERROR_FILE_TOO_LARGE for a key beyond the limits above.
LSTATUS CopyRemoteValues(HKEY remoteRoot, const std::wstring& remotePath, const std::wstring& localPath);

struct CopyBackResult {
  bool reached = false;   // the workstation's version key was opened for writing
  bool complete = false;  // and every change was written
  // The "Profile" text written, when the Profile page changed it.
  std::optional<std::wstring> profile;
};

// Writes to the version key of `computer` every value that `masks` names,
// read from the local copy, in the order of the copy-back tables, and makes
// its Groups subkey equal to the local copy's when the Groups bit is set.
// Any thread; failures go to `messages`.
CopyBackResult CopyBackConfiguration(const std::wstring& computer, const std::wstring& versionKeyPath,
                                     const std::wstring& localCopyPath, const config::ChangeMasks& masks,
                                     MessageSink& messages);

}  // namespace lullan::tarnel
