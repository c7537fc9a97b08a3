// The custom actions of lullan.msi. Each is one line of the package's
// sequence (lullan.wxs names when it runs); the work is in the files named
// after what it does, so the tests can run it without Windows Installer.
//
// Immediate actions read the public properties and hand deferred ones what
// they need as "CustomActionData", since a deferred action (run as
// LocalSystem, in the installation's script) sees no other property.
#include <windows.h>

#include "configuration_root.h"
#include "folder_files_security.h"
#include "install_session.h"
#include "monitor_service.h"
#include "package_checks.h"
#include "packed_time.h"
#include "product.h"
#include "text_format.h"

using namespace lullan;
using namespace lullan::msi;

namespace {

// Every action keeps its exceptions (out of memory) to itself: Windows
// Installer gets a failure, never an unwound stack.
template <typename Action>
UINT Guarded(MSIHANDLE handle, Action action) noexcept {
  try {
    return action(InstallSession(handle));
  } catch (...) {
    return ERROR_INSTALL_FAILURE;
  }
}

constexpr wchar_t kMonitorService[] = L"lConfigMon";  // as setup.exe creates it

}  // namespace

// Immediate, before anything changes: refuses what cannot be installed and
// prepares the deferred actions' data.
extern "C" UINT __stdcall PrepareInstallation(MSIHANDLE handle) {
  return Guarded(handle, [](const InstallSession& session) {
    if (InstalledBySetup()) return session.Fail(kInstalledBySetup);
    const std::wstring profile = session.Property(L"PROFILE");
    const std::wstring server = ServerName(session.Property(L"PLS"));
    std::wstring refusal = AssignmentError(profile, server);
    const std::wstring account = session.Property(L"MONITORACCOUNT");
    const std::wstring password = session.Property(L"MONITORPASSWORD");
    if (refusal.empty()) refusal = MonitorAccountError(account, password);
    if (!refusal.empty()) return session.Fail(refusal);

    const std::wstring folder = FolderPath(session.Property(L"INSTALLDIR"));
    session.SetProperty(L"LULLANDIR", folder);
    session.SetProperty(L"SecureInstallFolder", folder);
    session.SetProperty(L"SecureInstalledFiles", folder);
    session.SetProperty(L"WriteConfiguration", JoinFields({folder, profile, server}));
    // The password last: it is the one field that may hold a line break.
    if (!account.empty()) session.SetProperty(L"CreateMonitorService", JoinFields({folder, account, password}));
    return static_cast<UINT>(ERROR_SUCCESS);
  });
}

// Immediate, once the deferred actions are scheduled: the password leaves
// the installation's properties, which Wine's installer writes to its log
// whatever MsiHiddenProperties says.
extern "C" UINT __stdcall ForgetMonitorPassword(MSIHANDLE handle) {
  return Guarded(handle, [](const InstallSession& session) {
    session.SetProperty(L"MONITORPASSWORD", L"");
    session.SetProperty(L"CreateMonitorService", L"");
    session.SetProperty(L"CustomActionData", L"");
    return static_cast<UINT>(ERROR_SUCCESS);
  });
}

// Deferred, before the files are copied in: the folder's protected list.
extern "C" UINT __stdcall SecureInstallFolder(MSIHANDLE handle) {
  return Guarded(handle, [](const InstallSession& session) {
    const std::wstring folder = session.Property(L"CustomActionData");
    DWORD status = ApplyFileSecurity(folder, InstallFolderSddl());
    if (status != ERROR_SUCCESS)
      return session.Fail(
          FormatText(L"Can't secure directory %s (error %lu).", folder.c_str(), static_cast<unsigned long>(status)));
    return static_cast<UINT>(ERROR_SUCCESS);
  });
}

// Deferred, after InstallFiles: the files copied in carry the folder's list.
extern "C" UINT __stdcall SecureInstalledFiles(MSIHANDLE handle) {
  return Guarded(handle, [](const InstallSession& session) {
    std::wstring failed;
    DWORD status = SecureFolderFiles(session.Property(L"CustomActionData"), &failed);
    if (status != ERROR_SUCCESS)
      return session.Fail(
          FormatText(L"Can't secure file %s (error %lu).", failed.c_str(), static_cast<unsigned long>(status)));
    return static_cast<UINT>(ERROR_SUCCESS);
  });
}

// Deferred: the version key, its security and the profile assignment.
extern "C" UINT __stdcall WriteConfiguration(MSIHANDLE handle) {
  return Guarded(handle, [](const InstallSession& session) {
    std::vector<std::wstring> data = SplitFields(session.Property(L"CustomActionData"), 3);
    data.resize(3);
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    std::wstring failure = WriteConfigurationRoot({VersionKeyPath(), data[0], data[1], data[2], PackLocalTime(now)});
    return failure.empty() ? static_cast<UINT>(ERROR_SUCCESS) : session.Fail(failure);
  });
}

// Immediate, before a newer package removes the older one (Wine's installer
// does not tell that removal it is part of an upgrade); the mark is cleared
// by a deferred action once the older one is gone. Where the mark cannot be
// made (Windows running this without elevation), Windows Installer's own
// UPGRADINGPRODUCTCODE keeps the configuration instead.
extern "C" UINT __stdcall MarkUpgrade(MSIHANDLE handle) {
  return Guarded(handle, [](const InstallSession& session) {
    if (DWORD status = lullan::msi::MarkUpgrade(kProductKey); status != ERROR_SUCCESS)
      session.Log(FormatText(L"Can't create registry key %s\\Upgrading (error %lu).", kProductKey,
                             static_cast<unsigned long>(status)));
    return static_cast<UINT>(ERROR_SUCCESS);
  });
}

extern "C" UINT __stdcall ClearUpgradeMark(MSIHANDLE handle) {
  return Guarded(handle, [](const InstallSession&) {
    lullan::msi::ClearUpgradeMark(kProductKey);
    return static_cast<UINT>(ERROR_SUCCESS);
  });
}

// Deferred, on removal but not on an upgrade (whose new package takes the
// configuration over): the version key and the monitor service go.
extern "C" UINT __stdcall RemoveConfiguration(MSIHANDLE handle) {
  return Guarded(handle, [](const InstallSession& session) {
    if (UpgradeMarked(kProductKey)) {
      session.Log(L"A newer version is being installed: the configuration stays.");
      return static_cast<UINT>(ERROR_SUCCESS);
    }
    if (DWORD status = RemoveService(kMonitorService); status != ERROR_SUCCESS)
      session.Log(
          FormatText(L"Can't delete the service %s (error %lu).", kMonitorService, static_cast<unsigned long>(status)));
    if (DWORD status = RemoveConfigurationRoot(VersionKeyPath()); status != ERROR_SUCCESS)
      session.Log(FormatText(L"Can't delete registry key %s (error %lu).", VersionKeyPath().c_str(),
                             static_cast<unsigned long>(status)));
    return static_cast<UINT>(ERROR_SUCCESS);
  });
}

// Deferred, when MONITORACCOUNT is given: the configuration monitor service.
extern "C" UINT __stdcall CreateMonitorService(MSIHANDLE handle) {
  return Guarded(handle, [](const InstallSession& session) {
    std::vector<std::wstring> data = SplitFields(session.Property(L"CustomActionData"), 3);
    data.resize(3);
    std::wstring failure = InstallMonitorService(
        {kMonitorService, kMonitorDisplayName, data[0] + L"\\profmon.exe", kIdleServiceName, data[1], data[2]});
    return failure.empty() ? static_cast<UINT>(ERROR_SUCCESS) : session.Fail(failure);
  });
}

// Deferred, after the services are made: Windows Installer quotes the image
// path of "Lullan", Wine's does not (a blank in "Program Files").
extern "C" UINT __stdcall QuoteServiceImagePath(MSIHANDLE handle) {
  return Guarded(handle, [](const InstallSession& session) {
    if (QuoteImagePath(kIdleServiceName))
      session.Log(FormatText(L"Quoted the image path of the service %s.", kIdleServiceName));
    return static_cast<UINT>(ERROR_SUCCESS);
  });
}
