#include "purge.h"

#include <unordered_set>

#include "registry_values.h"
#include "remote_keys.h"
#include "schema.h"
#include "server_panel_dlg.h"
#include "text_format.h"

namespace lullan::tarnel {

namespace {

// A Windows NT label ("NT", "NTS", and Novell's "NW" too) never stands for a
// Windows 9x computer.
bool MayBeWin9x(const std::wstring& osText) { return !osText.starts_with(L'N'); }

// A folder of this machine: a drive letter, a colon, a separator. Anything
// else a Windows 9x registry (which anybody may write) names, a UNC path
// (\\server\share, //server/share) or a device path (\\?\, \\.\, \??\),
// would have the console, run by a domain administrator, open a path on
// another server and sign in there.
bool IsLocalFolder(const std::wstring& path) {
  return path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
         path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

}  // namespace

int PurgeComputers(ConsoleState& state, const std::vector<ScannedComputer>& computers,
                   const ConsoleSettings& settings) {
  if (computers.empty()) return 0;
  state.reports.Push(StatusText{L"Purging non-Lullan computers..."});
  ScanMessageSink messages(state.reports);
  ComputersPurged purged;
  for (const ScannedComputer& computer : computers) {
    if (state.stop) break;  // Exit: nobody waits for the answer
    // Only a computer the purge would remove is worth a question to its registry.
    if (!computer.noService) continue;
    // Windows 9x computers have no account in a domain.
    if (settings.enableWin9x && !computer.fromAccounts && MayBeWin9x(computer.osText) &&
        HasWin9xComponent(computer.name, messages))
      continue;
    purged.computers.push_back(computer.name);
  }
  const int count = static_cast<int>(purged.computers.size());
  state.reports.Push(std::move(purged));
  state.reports.Push(StatusText{FormatText(L"Purged %d computer%s from list.", count, count >= 2 ? L"s" : L"")});
  return count;
}

bool HasWin9xComponent(const std::wstring& computer, MessageSink& messages) {
  LSTATUS status = ERROR_SUCCESS;
  unique_hkey root = ConnectRegistry(computer, &status);
  if (!root) {
    messages.Show(FormatText(L"Error %ld connecting to %s's registry.", static_cast<long>(status), computer.c_str()) +
                  L"\rIs Remote Registry Services installed?");
    return false;
  }
  std::wstring path;
  unique_hkey version = OpenVersionKey(root.get(), KEY_QUERY_VALUE, path, messages, &status);
  if (!version) {
    messages.Show(CantOpenRemoteKey(path, computer, status));
    return false;
  }
  std::optional<std::wstring> installDir = ReadText(version.get(), config::kInstallDir);
  if (!installDir || !IsLocalFolder(*installDir)) return false;
  const std::wstring component = FormatText(L"%s\\quitcom.dll", installDir->c_str());
  const DWORD attributes = ::GetFileAttributesW(component.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CServerPanelDlg::Apply(const ComputersPurged& purged) {
  // Thousands may go at once: their rows in one sweep, then their records.
  // One that an operation holds goes when the operation lets go of it.
  std::unordered_set<const CComputerInfo*> gone;
  for (const std::wstring& name : purged.computers) {
    CComputerInfo* record = state_->records.FindComputer(name);
    if (record && !holds_.Defer(*record)) gone.insert(record);
  }
  list_.DeleteRowsOf(gone);
  for (const CComputerInfo* record : gone) state_->records.Remove(*record);
}

}  // namespace lullan::tarnel
