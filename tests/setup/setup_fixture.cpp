#include "setup_fixture.h"

#include <lmcons.h>
#include <sddl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <chrono>
#include <thread>

#include "built_files.h"
#include "com_ptr.h"
#include "file_table.h"
#include "handles.h"
#include "quitcom_registry.h"
#include "quitsrv_registry.h"
#include "registry_fixture.h"
#include "resource.h"
#include "security_text.h"
#include "text_format.h"

namespace lullan::test {

namespace {

constexpr wchar_t kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingRenames[] = L"PendingFileRenameOperations";
// The shell's "Confirm file overwrite" box under Wine: its "Yes to all".
constexpr int kYesToAll = 12807;

std::wstring UserName() {
  wchar_t user[UNLEN + 1] = {};
  DWORD length = ARRAYSIZE(user);
  ::GetUserNameW(user, &length);
  return user;
}

void WriteFile(const std::wstring& path, const std::string& content) {
  unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (!file || !::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr)) {
    ADD_FAILURE() << "cannot write " << Narrow(path);
  }
}

void DeleteFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  unique_find search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (search) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteFolder(path);
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(search.get(), &found));
  }
  search.reset();
  ::RemoveDirectoryW(folder.c_str());
}

std::optional<std::vector<BYTE>> ReadRaw(HKEY root, const std::wstring& path, const wchar_t* name) {
  unique_hkey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return std::nullopt;
  DWORD size = 0;
  if (::RegQueryValueExW(key.get(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  std::vector<BYTE> data(size);
  if (::RegQueryValueExW(key.get(), name, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS) return std::nullopt;
  data.resize(size);
  return data;
}

// The strings of a REG_MULTI_SZ value.
std::vector<std::wstring> MultiString(const std::optional<std::vector<BYTE>>& raw) {
  std::vector<std::wstring> strings;
  if (!raw) return strings;
  std::wstring all(reinterpret_cast<const wchar_t*>(raw->data()), raw->size() / sizeof(wchar_t));
  for (size_t start = 0; start < all.size();) {
    size_t end = all.find(L'\0', start);
    if (end == std::wstring::npos) end = all.size();
    strings.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return strings;
}

// quitsrv.exe registers and unregisters itself in the background: what it
// writes must be done before the test removes it.
void WaitForComponentRegistrations() {
  unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    if (::lstrcmpiW(entry.szExeFile, L"quitsrv.exe") != 0) continue;
    unique_handle process(::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (process) ::WaitForSingleObject(process.get(), 10000);
  }
}

void DeleteService(const std::wstring& name) {
  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  unique_schandle service(::OpenServiceW(manager.get(), name.c_str(), DELETE));
  if (service) ::DeleteService(service.get());
}

}  // namespace

SetupTest::SetupTest() {
  ::CoInitialize(nullptr);  // for the shell links
  static LONG counter = 0;
  LONG run = ::InterlockedIncrement(&counter);
  DWORD process = ::GetCurrentProcessId();
  const std::wstring tag = FormatText(L"T%lu-%ld", process, run);
  site.productKey = FormatText(L"SOFTWARE\\LullanTests\\setup-%lu-%ld\\Fennick\\Lullan", process, run);
  site.serviceName = L"Lullan" + tag;
  site.monitorServiceName = L"lConfigMon" + tag;
  site.monitorDisplayName = L"Lullan Configuration Monitor " + tag;
  site.eventSource = L"Lullan" + tag;
  site.uninstallEntry = L"FenLullan" + tag;
  versionKey = site.VersionKey();

  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(ARRAYSIZE(temp), temp);
  scratch = FormatText(L"%slullan-setup-%lu-%ld", temp, process, run);
  // Blanks in every path, as in "C:\Program Files\Lullan".
  startDirectory = scratch + L"\\dist files";
  programs = scratch + L"\\Programs";
  installDir = scratch + L"\\Program Files\\Lullan";
  site.programsFolder = programs;
  site.programPath = startDirectory + L"\\setup.exe";

  RemoveEverything();
  pendingBefore_ = ReadRaw(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenames);
  for (const std::wstring& folder :
       {scratch, startDirectory, programs, programs + L"\\Administrative Tools", scratch + L"\\Program Files"}) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
  }
  WriteStartDirectory();

  domain.DomainController(L"DC1");
  runningUser = &domain.AddUser(UserName()).Admin();
  services.On(L"");  // this machine, with no services yet
  platform_.Use(domain).Use(services).Use(systemExit);

  wchar_t current[MAX_PATH] = {};
  ::GetCurrentDirectoryW(ARRAYSIZE(current), current);
  previousDirectory_ = current;
  ::SetCurrentDirectoryW(startDirectory.c_str());
}

SetupTest::~SetupTest() {
  ::SetCurrentDirectoryW(previousDirectory_.c_str());
  app.reset();
  WaitForComponentRegistrations();
  RemoveEverything();
  ::CoUninitialize();
  if (pendingBefore_) {
    WriteRaw(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenames, REG_MULTI_SZ, pendingBefore_->data(),
             static_cast<DWORD>(pendingBefore_->size()));
  } else {
    unique_hkey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
      ::RegDeleteValueW(key.get(), kPendingRenames);
    }
  }
}

void SetupTest::WriteStartDirectory() {
  // What dist/ holds: every row of the file table but the two libraries
  // Windows brings and actwatch.dll, which the product does not build. The
  // components are the test builds, whose exit calls are only recorded.
  for (const wchar_t* name :
       {L"lullan.exe", L"lullanMsg.dll", L"setup.exe", L"readme.txt", L"tarnel.exe", L"boing.wav", L"boioing.wav",
        L"carhorn.wav", L"shoot.wav", L"Xylophone.wav", L"zap.wav", L"logoff.exe", L"profmon.exe"}) {
    WriteFile(startDirectory + L"\\" + name, "stand-in for " + Narrow(name));
  }
  for (const wchar_t* component : {L"quitcom.dll", L"quitsrv.exe"}) {
    if (!::CopyFileW(RecordingFile(component).c_str(), (startDirectory + L"\\" + component).c_str(), FALSE)) {
      ADD_FAILURE() << "cannot copy " << Narrow(component) << ": error " << ::GetLastError();
    }
  }
}

void SetupTest::RemoveEverything() {
  DeleteTree(HKEY_LOCAL_MACHINE, site.productKey.substr(0, site.productKey.find(L"\\Fennick")));
  DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + site.uninstallEntry);
  DeleteTree(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + site.eventSource);
  DeleteService(site.monitorServiceName);
  DeleteService(site.serviceName);
  RemoveQuitcomRegistration();
  RemoveQuitsrvRegistration();
  if (!scratch.empty()) DeleteFolder(scratch);
}

void SetupTest::ScriptInstallation(ModalSession& session, const Installation& how) {
  session.Answer(IDYES);  // the licence
  session.Answer(how.server ? IDC_SERVER : IDC_WORKSTATION);
  if (how.previousVersionAnswer) session.Answer(*how.previousVersionAnswer);
  session.Answer(FillAccount(how.account, how.password, how.password));
  session.Answer(TypeInto(IDC_DIRECTORY, installDir, IDOK));
  if (!setup::DirectoryExists(installDir)) session.Answer(IDYES);  // "Directory ... does not exist. Create it?"
  if (how.replaceFiles) session.Answer(kYesToAll);
  if (!how.server && how.account.empty()) session.Answer(IDOK);  // no monitor service without an account
  if (!how.server) session.Answer(how.shortcut ? IDYES : IDNO);
  session.Answer(IDOK);  // "Lullan installed successfully"
}

DialogAnswerer::Action SetupTest::TypeInto(unsigned id, std::wstring text, int button) {
  return [id, text, button](HWND dialog) {
    ::SetDlgItemTextW(dialog, static_cast<int>(id), text.c_str());
    DialogAnswerer::PressButton(dialog, button);
  };
}

DialogAnswerer::Action SetupTest::FillAccount(std::wstring name, std::wstring password, std::wstring repeat) {
  return [name, password, repeat](HWND dialog) {
    ::SetDlgItemTextW(dialog, IDC_ACCOUNT_NAME, name.c_str());
    ::SetDlgItemTextW(dialog, IDC_PASSWORD, password.c_str());
    ::SetDlgItemTextW(dialog, IDC_REPEAT_PASSWORD, repeat.c_str());
    DialogAnswerer::PressButton(dialog, IDOK);
  };
}

std::vector<SeenDialog> SetupTest::InstallFromMainDialog(const Installation& how) {
  ModalSession admin;
  ScriptInstallation(admin, how);
  admin.Click(IDOK)
      .Look([](const Controls& dialog) {
        EXPECT_EQ(dialog.Label(IDC_START_STOP), L"Start Lullan");
        EXPECT_TRUE(::IsWindowVisible(dialog.Item(IDC_START_STOP)));
        EXPECT_TRUE(dialog.Focused(IDC_RELEASE_NOTES)) << "the release notes are what to read next";
      })
      .Click(IDCANCEL);
  RunSetup(admin);
  EXPECT_TRUE(app->installedThisRun) << Describe(admin.boxes());
  return admin.boxes();
}

std::set<std::wstring> SetupTest::InstalledFiles() const {
  std::set<std::wstring> files;
  for (const setup::InstallFileEntry& row : setup::MakeFileTable(L"setup.exe", installDir)) {
    if (setup::FileExists(row.Path())) files.insert(row.name);
  }
  return files;
}

int SetupTest::RunSetup(DialogSession& admin, const wchar_t* commandLine) {
  app = std::make_unique<setup::CSetupApp>(site);
  return static_cast<int>(admin.Run([this] { return app->mainWindow; },
                                    [this, commandLine] { return static_cast<INT_PTR>(app->Run(commandLine)); }));
}

int SetupTest::RunSetupAnswering(const std::vector<int>& answers, const wchar_t* commandLine,
                                 std::vector<SeenDialog>* seen) {
  DialogAnswerer answerer;
  for (int answer : answers) answerer.Answer(answer);
  // Without a main dialog the progress window is the one activated when a box closes; it asks nothing.
  answerer.LeaveAlone([](HWND window) { return DialogAnswerer::WindowText(window) == L"Progress:"; });
  app = std::make_unique<setup::CSetupApp>(site);
  int code = app->Run(commandLine);
  EXPECT_EQ(answerer.pending(), 0u) << "answers left over; boxes seen:\n" << Narrow(answerer.Describe());
  if (seen) *seen = answerer.seen();
  return code;
}

bool SetupTest::ServiceExists(const std::wstring& name) const {
  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  unique_schandle service(::OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_CONFIG));
  return static_cast<bool>(service);
}

ServiceConfig SetupTest::Service(const std::wstring& name) const {
  const std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\" + name;
  ServiceConfig config;
  config.type = ReadDword(HKEY_LOCAL_MACHINE, key, L"Type").value_or(0);
  config.start = ReadDword(HKEY_LOCAL_MACHINE, key, L"Start").value_or(0);
  config.errorControl = ReadDword(HKEY_LOCAL_MACHINE, key, L"ErrorControl").value_or(0);
  config.imagePath = ReadString(HKEY_LOCAL_MACHINE, key, L"ImagePath").value_or(L"");
  for (const std::wstring& dependency : MultiString(ReadRaw(HKEY_LOCAL_MACHINE, key, L"DependOnService"))) {
    if (dependency.empty()) continue;
    if (!config.dependencies.empty()) config.dependencies += L"|";
    config.dependencies += dependency;
  }
  config.account = ReadString(HKEY_LOCAL_MACHINE, key, L"ObjectName").value_or(L"");
  config.description = ReadString(HKEY_LOCAL_MACHINE, key, L"Description");
  return config;
}

std::vector<std::wstring> SetupTest::PendingDeletions() const {
  std::vector<std::wstring> strings = MultiString(ReadRaw(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenames));
  std::vector<std::wstring> deletions;
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (!strings[i + 1].empty()) continue;  // a rename, not a deletion
    std::wstring path = strings[i];
    if (path.rfind(L"\\??\\", 0) == 0) path.erase(0, 4);
    deletions.push_back(path);
  }
  return deletions;
}

std::vector<std::string> SetupTest::KeyAcl(const std::wstring& path) {
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL, key.put()) != ERROR_SUCCESS) return {};
  DWORD size = 0;
  ::RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
  std::vector<BYTE> descriptor(size);
  if (size == 0 || ::RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.data(), &size) != ERROR_SUCCESS)
    return {};
  return DescribeSelfRelative(descriptor).aces;
}

std::vector<std::string> SetupTest::FileSecurity(const std::wstring& path) {
  const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  ::GetFileSecurityW(path.c_str(), wanted, nullptr, 0, &size);
  std::vector<BYTE> descriptor(size);
  if (size == 0 || !::GetFileSecurityW(path.c_str(), wanted, descriptor.data(), size, &size)) return {};
  DescriptorText text = DescribeSelfRelative(descriptor);
  std::vector<std::string> lines = {"owner " + text.owner};
  lines.insert(lines.end(), text.aces.begin(), text.aces.end());
  return lines;
}

bool SetupTest::SetFileSecurity(const std::wstring& path, const std::wstring& sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
    return false;
  unique_local_memory owner(descriptor);
  SECURITY_INFORMATION given = DACL_SECURITY_INFORMATION;
  if (sddl.rfind(L"O:", 0) == 0) given |= OWNER_SECURITY_INFORMATION;
  return ::SetFileSecurityW(path.c_str(), given, descriptor);
}

std::wstring SetupTest::ShortcutTarget(const std::wstring& link) {
  com_ptr<IShellLinkW> shellLink;
  com_ptr<IPersistFile> file;
  wchar_t target[MAX_PATH] = {};
  if (FAILED(
          ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.put_void())) ||
      FAILED(shellLink.query(IID_IPersistFile, file)) || FAILED(file->Load(link.c_str(), STGM_READ)) ||
      FAILED(shellLink->GetPath(target, ARRAYSIZE(target), nullptr, 0))) {
    return {};
  }
  return target;
}

bool SetupTest::Eventually(const std::function<bool()>& done) {
  for (int i = 0; i < 200; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

bool SetupTest::QuitsrvRegistered() const { return KeyExists(HKEY_CLASSES_ROOT, kFCLogoffExKey); }

std::vector<std::wstring> SetupTest::Texts(const std::vector<SeenDialog>& boxes) {
  std::vector<std::wstring> texts;
  for (const SeenDialog& box : boxes) texts.push_back(box.Text());
  return texts;
}

std::string SetupTest::Describe(const std::vector<SeenDialog>& boxes) {
  std::string all;
  for (const SeenDialog& box : boxes) all += "[" + Narrow(box.caption) + "] " + Narrow(box.Text()) + "\n";
  return all;
}

}  // namespace lullan::test
