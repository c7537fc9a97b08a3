// lullan.msi as a deployment installs it: msiexec in a prefix of its own
// (package_session.sh makes it fresh), the package of the architecture the
// test runs on. One administrator's session installs, looks at everything,
// upgrades to a newer package and removes it again; another assigns a shared
// profile and the monitor's account at install and is refused what cannot work.
#include <gtest/gtest.h>
#include <windows.h>
#include <msi.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "com_apartment.h"
#include "com_ptr.h"
#include "handles.h"
#include "program_driver.h"
#include "quitcom_interface.h"
#include "recorded_exit.h"
#include "registry_fixture.h"
#include "security_sddl.h"
#include "text_format.h"

namespace lullan::test {
namespace {

constexpr wchar_t kUpgradeCode[] = L"{5E0C3A61-9F2B-4E7A-B8C4-2D6F1A9E7B31}";
constexpr wchar_t kProductKey[] = L"SOFTWARE\\Fennick\\Lullan";
constexpr wchar_t kVersionKey[] = L"SOFTWARE\\Fennick\\Lullan\\1.11";
constexpr wchar_t kProductKeySddl[] = L"D:(A;;KR;;;WD)(A;;KA;;;BA)(A;;KA;;;SY)(A;;KA;;;CO)";
constexpr wchar_t kEventSource[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Lullan";
constexpr wchar_t kServices[] = L"SYSTEM\\CurrentControlSet\\Services\\";
const wchar_t* const kFiles[] = {L"lullan.exe", L"lullanMsg.dll", L"setup.exe",   L"readme.txt", L"quitcom.dll",
                                 L"boing.wav",  L"boioing.wav",   L"carhorn.wav", L"shoot.wav",  L"Xylophone.wav",
                                 L"zap.wav",    L"logoff.exe",    L"quitsrv.exe", L"profmon.exe"};
// The trees of HKEY_CLASSES_ROOT the components' registration writes.
const wchar_t* const kComTrees[] = {L"CLSID\\{41314381-45FB-11D2-9A99-000000000002}",
                                    L"CLSID\\{41314381-45FB-11D2-9A99-000000000012}",
                                    L"FenCom.Logoff",
                                    L"FenCom.Logoff.1",
                                    L"FenComOpc.Logoff",
                                    L"FenComOpc.Logoff.1",
                                    L"AppID\\{41314381-45FB-11D2-9A99-000000000002}",
                                    L"AppID\\{41314381-45FB-11D2-9A99-000000000012}",
                                    L"TypeLib\\{41314382-45FB-11D2-9A99-000000000001}",
                                    L"TypeLib\\{41314381-45FB-11D2-9A99-000000000011}",
                                    L"Interface\\{41314381-45FB-11D2-9A99-000000000001}",
                                    L"Interface\\{41314381-45FB-11D2-9A99-000000000010}"};

std::wstring WindowsPath(const char* unixPath) {
  std::wstring path = L"Z:" + Widen(unixPath);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::wstring Temp(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name;
}

// The folder the package of this test's architecture installs into.
std::wstring InstallFolder() {
  wchar_t programFiles[MAX_PATH];
  ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles);
  return std::wstring(programFiles) + L"\\Lullan";
}

// Runs a program of the machine to its end; its exit code.
DWORD RunProgram(const std::wstring& program, const std::wstring& arguments) {
  ProgramDriver driver;
  if (!driver.Start(program, arguments, Temp(L""))) return driver.error();
  return driver.WaitForExit(300000);
}

std::wstring SystemProgram(const wchar_t* name) {
  wchar_t system[MAX_PATH];
  ::GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\" + name;
}

// A log as Wine's installer and setup write it: UTF-16 with its mark, or bytes.
std::wstring ReadText(const std::wstring& path) {
  std::ifstream file(Narrow(path), std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  return Widen(bytes, CP_UTF8);
}

struct Msiexec {
  DWORD code;
  std::wstring log;
};

// msiexec with `arguments`, quiet, never restarting, its log read back.
Msiexec RunMsiexec(const std::wstring& arguments) {
  const std::wstring log = Temp(L"lullan-msiexec.log");
  ::DeleteFileW(log.c_str());
  DWORD code =
      RunProgram(SystemProgram(L"msiexec.exe"), arguments + L" /qn REBOOT=ReallySuppress /l*v \"" + log + L"\"");
  return {code, ReadText(log)};
}

std::wstring DistPackage() { return WindowsPath(LULLAN_DIST_DIR) + L"\\lullan.msi"; }
std::wstring UpgradePackage() { return WindowsPath(LULLAN_UPGRADE_PACKAGE); }

// Every key and value below the registration's trees, one "key|name|type|data" each.
std::vector<std::wstring> Snapshot(HKEY root, const std::wstring& path) {
  std::vector<std::wstring> lines;
  unique_hkey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return lines;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = ARRAYSIZE(name);
    BYTE data[1024];
    DWORD size = sizeof data;
    DWORD type = 0;
    if (::RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    std::wstring text;
    if (type == REG_SZ) {
      text.assign(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
      text = text.c_str();
      // Wine's type-library registration names files by their "\\?\" form.
      if (text.starts_with(L"\\\\?\\")) text.erase(0, 4);
    } else {
      for (DWORD b = 0; b < size; ++b) text += FormatText(L"%02x", data[b]);
    }
    lines.push_back(FormatText(L"%s|%s|%lu|%s", path.c_str(), name, type, text.c_str()));
  }
  lines.push_back(path);
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = ARRAYSIZE(name);
    if (::RegEnumKeyExW(key.get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::vector<std::wstring> below = Snapshot(root, path + L"\\" + name);
    lines.insert(lines.end(), below.begin(), below.end());
  }
  return lines;
}

std::vector<std::wstring> ComRegistration() {
  std::vector<std::wstring> lines;
  for (const wchar_t* tree : kComTrees) {
    std::vector<std::wstring> below = Snapshot(HKEY_CLASSES_ROOT, tree);
    lines.insert(lines.end(), below.begin(), below.end());
  }
  return lines;
}

// The lines of `a` that `b` lacks, for failure messages.
std::string Missing(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b) {
  std::string missing;
  for (const std::wstring& line : a)
    if (std::find(b.begin(), b.end(), line) == b.end()) missing += "\n  " + Narrow(line);
  return missing;
}

std::vector<std::wstring> RelatedProducts() {
  std::vector<std::wstring> products;
  wchar_t product[39];
  for (DWORD i = 0; ::MsiEnumRelatedProductsW(kUpgradeCode, 0, i, product) == ERROR_SUCCESS; ++i)
    products.emplace_back(product);
  return products;
}

DWORD ServiceState(const wchar_t* name) {
  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  unique_schandle service(::OpenServiceW(manager.get(), name, SERVICE_QUERY_STATUS));
  SERVICE_STATUS status{};
  if (!service || !::QueryServiceStatus(service.get(), &status)) return 0;
  return status.dwCurrentState;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Service(const wchar_t* name, const wchar_t* value) {
  return ReadString(HKEY_LOCAL_MACHINE, std::wstring(kServices) + name, value).value_or(L"(none)");
}

class PackageSessionTest : public ::testing::Test {
 protected:
  const std::wstring folder_ = InstallFolder();
  std::wstring File(const wchar_t* name) const { return folder_ + L"\\" + name; }

  // What nothing but the package's removal may leave.
  void ExpectOnlyTheProductKeyLeft() {
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey)) << "the product key stays, as setup's removal leaves it";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kVersionKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEventSource));
    for (const wchar_t* service : {L"Lullan", L"lConfigMon"})
      EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::wstring(kServices) + service)) << Narrow(service);
    EXPECT_EQ(ComRegistration(), std::vector<std::wstring>{}) << "no class, ProgID, AppID, library or interface";
    EXPECT_FALSE(FileExists(folder_)) << Narrow(folder_);
    EXPECT_EQ(RelatedProducts(), std::vector<std::wstring>{});
  }
};

TEST_F(PackageSessionTest, AWorkstationIsInstalledUpgradedWithItsConfigurationAndRemoved) {
  Msiexec install = RunMsiexec(L"/i \"" + DistPackage() + L"\"");
  ASSERT_EQ(install.code, 0u) << Narrow(install.log);

  // Files, and the folder's list.
  for (const wchar_t* name : kFiles) EXPECT_TRUE(FileExists(File(name))) << Narrow(name);
  EXPECT_FALSE(FileExists(File(L"tarnel.exe"))) << "the console is a profile server's";
  EXPECT_FALSE(WorldMayWrite(folder_)) << Narrow(FileSddl(folder_));
  EXPECT_FALSE(WorldMayWrite(File(L"profmon.exe"))) << Narrow(FileSddl(File(L"profmon.exe")));

  // The configuration root, as setup leaves it.
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kVersionKey, L"InstallDir"), folder_);
  EXPECT_EQ(KeySddl(HKEY_LOCAL_MACHINE, kVersionKey), kProductKeySddl);
  EXPECT_EQ(KeySddl(HKEY_LOCAL_MACHINE, std::wstring(kVersionKey) + L"\\Groups"), kProductKeySddl);
  EXPECT_FALSE(ReadString(HKEY_LOCAL_MACHINE, kVersionKey, L"Profile")) << "no PROFILE given";
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kEventSource, L"EventMessageFile"), File(L"lullanMsg.dll"));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kEventSource, L"TypesSupported"), 7u);

  // The idle-logoff service, as setup creates it on a workstation, and started.
  const std::wstring lullan = std::wstring(kServices) + L"Lullan";
  EXPECT_EQ(Service(L"Lullan", L"ImagePath"), L"\"" + File(L"lullan.exe") + L"\"") << "quoted: a blank in the path";
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, lullan, L"Type"), 0x110u);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, lullan, L"Start"), DWORD{SERVICE_AUTO_START});
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, lullan, L"ErrorControl"), DWORD{SERVICE_ERROR_IGNORE});
  EXPECT_EQ(Service(L"Lullan", L"Description"), L"Idle user logoff utility");
  EXPECT_EQ(ServiceState(L"Lullan"), DWORD{SERVICE_RUNNING});
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::wstring(kServices) + L"lConfigMon")) << "no MONITORACCOUNT";

  // The components' registration is what their own routines write.
  const std::vector<std::wstring> fromPackage = ComRegistration();
  EXPECT_GT(fromPackage.size(), 40u);
  {
    unique_library quitcom(::LoadLibraryW(File(L"quitcom.dll").c_str()));
    ASSERT_TRUE(quitcom);
    auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void (*)()>(::GetProcAddress(quitcom.get(), "DllRegisterServer")));
    ASSERT_TRUE(registerServer);
    EXPECT_EQ(registerServer(), S_OK);
  }
  EXPECT_EQ(RunProgram(File(L"quitsrv.exe"), L"-RegServer"), 0u);
  const std::vector<std::wstring> registered = ComRegistration();
  EXPECT_EQ(registered, fromPackage) << "only the package wrote:" << Missing(fromPackage, registered)
                                     << "\nonly the registration wrote:" << Missing(registered, fromPackage);

  // The console and profmon wrote a configuration meanwhile; a newer package keeps it.
  WriteDword(HKEY_LOCAL_MACHINE, kVersionKey, L"IdleMinutes", 45);
  WriteString(HKEY_LOCAL_MACHINE, kVersionKey, L"Profile", L"stdLogoff");
  WriteDword(HKEY_LOCAL_MACHINE, std::wstring(kVersionKey) + L"\\Groups", L"Domain Users", 20);
  Msiexec upgrade = RunMsiexec(L"/i \"" + UpgradePackage() + L"\"");
  ASSERT_EQ(upgrade.code, 0u) << Narrow(upgrade.log);
  std::vector<std::wstring> products = RelatedProducts();
  ASSERT_EQ(products.size(), 1u) << "the newer package replaced the older";
  wchar_t version[32];
  DWORD length = ARRAYSIZE(version);
  ::MsiGetProductInfoW(products[0].c_str(), INSTALLPROPERTY_VERSIONSTRING, version, &length);
  EXPECT_STREQ(version, L"1.11.1");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kVersionKey, L"IdleMinutes"), 45u);
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kVersionKey, L"Profile"), L"stdLogoff");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, std::wstring(kVersionKey) + L"\\Groups", L"Domain Users"), 20u);
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kVersionKey, L"InstallDir"), folder_);
  EXPECT_EQ(ServiceState(L"Lullan"), DWORD{SERVICE_RUNNING});

  // The newer package carries the test build of quitcom: FCLogoff, created
  // through the package's registration, records the session's end.
  ClearRecordedExits();
  {
    ComApartment apartment;
    com_ptr<ILogoff> logoff;
    ASSERT_EQ(::CoCreateInstance(CLSID_FCLogoff, nullptr, CLSCTX_INPROC_SERVER, IID_ILogoff, logoff.put_void()), S_OK);
    EXPECT_EQ(logoff->Logoff(), S_OK);
  }
  EXPECT_EQ(RecordedExitFlags(), std::vector<DWORD>{EWX_LOGOFF | EWX_FORCE});

  // setup.exe leaves a package's installation alone, and changes nothing.
  const std::wstring setupLog = Temp(L"lullan-setup.log");
  EXPECT_EQ(RunProgram(File(L"setup.exe"), L"/quiet /workstation /log \"" + setupLog + L"\""),
            DWORD{ERROR_PRODUCT_VERSION});
  EXPECT_NE(ReadText(setupLog).find(L"installed on this computer by its Windows Installer package"), std::wstring::npos)
      << Narrow(ReadText(setupLog));
  EXPECT_EQ(RunProgram(File(L"setup.exe"), L"/quiet /u /log \"" + setupLog + L"\""), DWORD{ERROR_PRODUCT_VERSION});
  EXPECT_TRUE(FileExists(File(L"lullan.exe")));

  Msiexec removal = RunMsiexec(L"/x \"" + UpgradePackage() + L"\"");
  ASSERT_EQ(removal.code, 0u) << Narrow(removal.log);
  ExpectOnlyTheProductKeyLeft();
}

TEST_F(PackageSessionTest, AProfileAndTheMonitorsAccountAreGivenAtInstallAndNonsenseIsRefused) {
  struct Refusal {
    const wchar_t* properties;
    const wchar_t* message;
  } refusals[] = {
      {L"PROFILE=stdLogoff", L"No server specified. Can't assign a profile without a server."},
      {L"PLS=PSERVER", L"PLS names a profile server, but PROFILE names no profile to assign."},
      {L"PROFILE=std\\Groups PLS=PSERVER", L"can't be a shared profile's name"},
      {L"MONITORPASSWORD=s3cret", L"MONITORPASSWORD was given without MONITORACCOUNT."},
  };
  for (const Refusal& r : refusals) {
    Msiexec refused = RunMsiexec(L"/i \"" + DistPackage() + L"\" " + r.properties);
    EXPECT_EQ(refused.code, DWORD{ERROR_INSTALL_FAILURE}) << Narrow(r.properties);
    EXPECT_NE(refused.log.find(r.message), std::wstring::npos) << Narrow(r.properties) << "\n" << Narrow(refused.log);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kVersionKey)) << "nothing changed: " << Narrow(r.properties);
    EXPECT_FALSE(FileExists(folder_)) << Narrow(r.properties);
  }

  SYSTEMTIME before;
  ::GetLocalTime(&before);
  const wchar_t* password = L"pa ss\"w0rd";
  Msiexec install = RunMsiexec(L"/i \"" + DistPackage() +
                               L"\" PROFILE=stdLogoff PLS=\\\\PSERVER MONITORACCOUNT=FENNICK\\svc-lullan "
                               L"MONITORPASSWORD=\"pa ss\"\"w0rd\"");
  ASSERT_EQ(install.code, 0u) << Narrow(install.log);
  EXPECT_EQ(install.log.find(password), std::wstring::npos) << "the password reached the installer's log";
  EXPECT_EQ(install.log.find(L"pa ss"), std::wstring::npos) << "the password reached the installer's log";

  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kVersionKey, L"Profile"), L"stdLogoff");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kVersionKey, L"PLS"), L"PSERVER") << "without the backslashes";
  const DWORD stamp = ReadDword(HKEY_LOCAL_MACHINE, kVersionKey, L"ProfileLastChanged").value_or(0xFFFFFFFF);
  SYSTEMTIME after;
  ::GetLocalTime(&after);
  const DWORD first = (DWORD{before.wHour} << 16) | before.wMinute;
  const DWORD last = (DWORD{after.wHour} << 16) | after.wMinute;
  EXPECT_TRUE(stamp == first || stamp == last) << "the packed local time of the installation: " << std::hex << stamp;

  const std::wstring monitor = std::wstring(kServices) + L"lConfigMon";
  EXPECT_EQ(Service(L"lConfigMon", L"ImagePath"), L"\"" + File(L"profmon.exe") + L"\"");
  EXPECT_EQ(Service(L"lConfigMon", L"ObjectName"), L"FENNICK\\svc-lullan");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, monitor, L"Start"), DWORD{SERVICE_DEMAND_START});
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, monitor, L"Type"), DWORD{SERVICE_WIN32_OWN_PROCESS});

  Msiexec removal = RunMsiexec(L"/x \"" + DistPackage() + L"\"");
  ASSERT_EQ(removal.code, 0u) << Narrow(removal.log);
  ExpectOnlyTheProductKeyLeft();
}

// setup.exe installed the product: the package refuses, and changes nothing.
TEST_F(PackageSessionTest, ThePackageRefusesAMachineWhereSetupInstalledTheProduct) {
  const std::wstring dist = WindowsPath(LULLAN_DIST_DIR);
  const std::wstring setupDir = Temp(L"SetupLullan");
  const std::wstring setupLog = Temp(L"lullan-setup.log");
  ProgramDriver setup;
  ASSERT_TRUE(setup.Start(dist + L"\\setup.exe",
                          L"/quiet /workstation /dir \"" + setupDir + L"\" /log \"" + setupLog + L"\"", dist));
  ASSERT_EQ(setup.WaitForExit(300000), 0u) << Narrow(ReadText(setupLog));
  const std::wstring imagePath = Service(L"Lullan", L"ImagePath");

  Msiexec refused = RunMsiexec(L"/i \"" + DistPackage() + L"\"");
  EXPECT_EQ(refused.code, DWORD{ERROR_INSTALL_FAILURE});
  EXPECT_NE(refused.log.find(L"Lullan was installed on this computer by setup.exe."), std::wstring::npos)
      << Narrow(refused.log);
  EXPECT_EQ(RelatedProducts(), std::vector<std::wstring>{});
  EXPECT_EQ(Service(L"Lullan", L"ImagePath"), imagePath) << "setup's service untouched";
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kVersionKey, L"InstallDir"), setupDir);
  EXPECT_FALSE(FileExists(folder_));

  EXPECT_EQ(RunProgram(setupDir + L"\\setup.exe", L"/quiet /u /log \"" + setupLog + L"\""),
            DWORD{ERROR_SUCCESS_REBOOT_REQUIRED})
      << "its own copy of setup.exe goes at the restart\n"
      << Narrow(ReadText(setupLog));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kVersionKey));
}

}  // namespace
}  // namespace lullan::test
