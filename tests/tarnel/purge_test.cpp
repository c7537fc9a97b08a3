// The purge after each scan: which computers leave the list under the
// console settings Purge and EnableWin9x, what the status bar says, the
// Windows 9x computers asked for quitcom, and a computer that an operation
// holds while the purge comes.
#include <gtest/gtest.h>

#include <algorithm>

#include "console_fixture.h"
#include "text_format.h"

namespace lullan::test {
namespace {

// A folder of the prefix for one test, removed with what it holds.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = FormatText(L"%sLullanPurge-%lu", temp, ::GetCurrentProcessId());
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    ::DeleteFileW(File(L"quitcom.dll").c_str());
    ::RemoveDirectoryW(path_.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }
  void Add(const wchar_t* name) const {
    unique_file file(::CreateFileW(File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_TRUE(file) << "cannot make " << Narrow(File(name));
  }

 private:
  std::wstring path_;
};

// A share \\<server>\<share> as Wine serves one: a folder of the prefix's
// dosdevices\unc, so that whoever opens the share path finds what it holds
// without a network. Empty (and skipped) where the program does not run
// under Wine.
class ScratchShare {
 public:
  ScratchShare(const wchar_t* server, const wchar_t* share) {
    using UnixName = char*(__cdecl*)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* drive = unixName ? unixName(L"C:\\") : nullptr;  // <prefix>/dosdevices/c:/
    if (!drive) return;
    std::string devices(drive);
    ::HeapFree(::GetProcessHeap(), 0, drive);
    devices.resize(devices.find_last_of('/', devices.size() - 2) + 1);
    std::wstring root = L"\\\\?\\unix" + std::wstring(devices.begin(), devices.end()) + L"unc";
    std::replace(root.begin(), root.end(), L'/', L'\\');
    for (const std::wstring& folder : {root, root + L"\\" + server, root + L"\\" + server + L"\\" + share}) {
      ::CreateDirectoryW(folder.c_str(), nullptr);
      made_.push_back(folder);
    }
  }
  ~ScratchShare() {
    for (auto folder = made_.rbegin(); folder != made_.rend(); ++folder) {
      ::DeleteFileW((*folder + L"\\quitcom.dll").c_str());
      ::RemoveDirectoryW(folder->c_str());  // the unc folder stays when it held more before
    }
  }
  ScratchShare(const ScratchShare&) = delete;
  ScratchShare& operator=(const ScratchShare&) = delete;

  bool available() const { return !made_.empty(); }
  void Add(const wchar_t* name) const {
    unique_file file(
        ::CreateFileW((made_.back() + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_TRUE(file) << "cannot make " << Narrow(name) << " on the share";
  }

 private:
  std::vector<std::wstring> made_;
};

class PurgeTest : public ConsoleTest {
 protected:
  // The console key as an administrator left it, then the console's start-up.
  void StartConsole(std::initializer_list<std::pair<const wchar_t*, DWORD>> settings, bool keyExists = true) {
    if (keyExists) WriteDword(HKEY_LOCAL_MACHINE, consoleKey, L"Debug", 0);
    for (const auto& [name, value] : settings) WriteDword(HKEY_LOCAL_MACHINE, consoleKey, name, value);
    app.InitInstance();
  }
  // A Windows 9x computer whose registry names `installDir` as the product's folder.
  void Win9xWith(const std::wstring& computer, const std::wstring& installDir) {
    Listed(computer).Win9x();
    Store(computer, L"InstallDir", installDir);
  }
  size_t Connections(const std::wstring& computer) const {
    return static_cast<size_t>(std::count(registry.requests.begin(), registry.requests.end(), L"\\\\" + computer));
  }
};

TEST_F(PurgeTest, PurgeTakesOutEveryComputerWithoutTheServiceAndTheTotalCountsTheRest) {
  StartConsole({});  // a console key without "Purge": the purge is on
  Workstation(L"PC-A");
  Listed(L"PC-B");  // unreachable
  Workstation(L"PC-C");
  Listed(L"PC-D");
  Registry(L"PC-B");  // for their probes once they have the service
  Registry(L"PC-D");
  services.On(L"PC-D").Service(L"Spooler", SERVICE_RUNNING);  // reachable, without Lullan
  Listed(L"PC-E").Win9x();
  ConsoleSession admin;
  admin.WaitForScan()
      .Look([](const Controls& panel) {
        EXPECT_EQ(Names(panel), (std::vector<std::wstring>{L"PC-A", L"PC-C"}));
      })
      .Do(L"PC-B gets the service", [this](HWND) { services.On(L"PC-B").Service(L"Lullan", SERVICE_STOPPED); })
      .Refresh()
      .WaitForScan()
      .Look([](const Controls& panel) {
        EXPECT_EQ(Names(panel), (std::vector<std::wstring>{L"PC-A", L"PC-B", L"PC-C"}))
            << "the next scan finds a purged computer again";
      })
      .Do(L"PC-D gets it too", [this](HWND) { services.On(L"PC-D").Service(L"Lullan", SERVICE_RUNNING); })
      .Refresh()
      .WaitForScan()
      .Exit();
  RunConsole(admin);

  // Each scan's last two lines: the purge's count, then the scan's.
  const std::vector<std::wstring>& status = admin.statusTexts();
  std::vector<std::wstring> ends;
  for (size_t i = 1; i < status.size(); ++i) {
    if (status[i].find(L"computers running") != std::wstring::npos) ends.push_back(status[i - 1] + L" / " + status[i]);
  }
  EXPECT_EQ(ends, (std::vector<std::wstring>{
                      L"Purged 3 computers from list. / 2 of 2 computers running Lullan service",
                      L"Purged 2 computers from list. / 2 of 3 computers running Lullan service",
                      L"Purged 1 computer from list. / 3 of 4 computers running Lullan service",
                  }))
      << Narrow(admin.DescribeStatus());
  auto purging = std::find(status.begin(), status.end(), L"Purging non-Lullan computers...");
  ASSERT_NE(purging, status.end());
  EXPECT_EQ((purging - 1)->find(L"Lullan found on "), 0u) << "the purge comes once every worker has ended";
  auto scanEnd = std::find(purging, status.end(), L"2 of 2 computers running Lullan service");
  EXPECT_TRUE(std::none_of(purging, scanEnd, [](const std::wstring& text) {
    return text.find(L"Lullan found on ") == 0;
  })) << "no count after the purge has begun";
  EXPECT_TRUE(admin.boxes().empty()) << Narrow(admin.Describe());
}

TEST_F(PurgeTest, NothingToRemoveIsToldInTheSingular) {
  StartConsole({{L"Purge", 1}});
  Workstation(L"PC-A");
  ConsoleSession admin;
  admin.WaitForScan().Exit();
  RunConsole(admin);
  std::vector<std::wstring> status = admin.statusTexts();
  ASSERT_GE(status.size(), 3u);
  EXPECT_EQ(std::vector<std::wstring>(status.end() - 3, status.end()),
            (std::vector<std::wstring>{L"Purging non-Lullan computers...", L"Purged 0 computer from list.",
                                       L"1 of 1 computers running Lullan service"}));
}

TEST_F(PurgeTest, WithPurgeOffOrOnTheFirstRunEveryComputerStays) {
  for (bool firstRun : {true, false}) {
    SCOPED_TRACE(firstRun ? "the first run makes the console key" : "Purge is 0");
    DeleteTree(HKEY_LOCAL_MACHINE, consoleKey);
    if (firstRun) {
      StartConsole({}, false);
    } else {
      StartConsole({{L"Purge", 0}});
    }
    Workstation(L"PC-A");
    Listed(L"PC-B");
    ConsoleSession admin;
    admin.WaitForScan()
        .Look([](const Controls& panel) {
          EXPECT_EQ(RowLines(panel), (std::vector<std::wstring>{L"PC-A | Win2000 | [none] |  | 0 |  |  | image 0",
                                                                L"PC-B | Win2000 |  |  |  |  |  | image 2"}));
          EXPECT_EQ(StatusText(panel), L"1 of 2 computers running Lullan service");
        })
        .Exit();
    RunConsole(admin);
    for (const std::wstring& text : admin.statusTexts())
      EXPECT_EQ(text.find(L"Purg"), std::wstring::npos) << Narrow(text);
  }
}

TEST_F(PurgeTest, EnableWin9xKeepsTheWindows9xComputersThatCarryQuitcom) {
  ScratchFolder withQuitcom;
  withQuitcom.Add(L"quitcom.dll");
  Workstation(L"PC-A");
  Win9xWith(L"PC-95", withQuitcom.path());
  Win9xWith(L"PC-98", withQuitcom.path() + L"\\elsewhere");  // no quitcom.dll there
  Listed(L"PC-ME").Win9x();                                  // its registry does not answer
  Listed(L"PC-WFW").Win9x();                                 // its registry refuses the console
  registry.FailMachine(L"PC-WFW", ERROR_ACCESS_DENIED);
  Listed(L"PC-BARE").Win9x();  // its registry lacks the product
  Registry(L"PC-BARE");
  Listed(L"NETWARE").Type(SV_TYPE_NOVELL);  // "NW": no Windows 9x label
  Store(L"NETWARE", L"InstallDir", withQuitcom.path());
  for (bool enableWin9x : {true, false}) {
    SCOPED_TRACE(enableWin9x ? "EnableWin9x on" : "EnableWin9x off");
    DeleteTree(HKEY_LOCAL_MACHINE, consoleKey);
    StartConsole({{L"Purge", 1}, {L"EnableWin9x", enableWin9x ? 1u : 0u}});
    registry.requests.clear();
    ConsoleSession admin;
    if (enableWin9x) admin.Answer(IDOK).Answer(IDOK).Answer(IDOK);
    admin.WaitForScan()
        .Look([enableWin9x](const Controls& panel) {
          std::vector<std::wstring> kept = {L"PC-A"};
          if (enableWin9x) kept.push_back(L"PC-95");
          EXPECT_EQ(Names(panel), kept);
        })
        .Exit();
    RunConsole(admin);
    if (enableWin9x) {
      // One message for each Windows 9x computer that cannot be asked; each then leaves the list.
      EXPECT_EQ(BoxTexts(admin),
                (std::vector<std::wstring>{
                    FormatText(L"Error %d connecting to PC-ME's registry.\rIs Remote Registry Services installed?",
                               ERROR_BAD_NETPATH),
                    FormatText(L"Error %d connecting to PC-WFW's registry.\rIs Remote Registry Services installed?",
                               ERROR_ACCESS_DENIED),
                    Because(L"Can't open registry key SOFTWARE\\Fennick\\Lullan on PC-BARE", ERROR_FILE_NOT_FOUND)}));
    } else {
      EXPECT_TRUE(admin.boxes().empty()) << Narrow(admin.Describe());
    }
    EXPECT_EQ(Connections(L"PC-95"), enableWin9x ? 1u : 0u);
    EXPECT_EQ(Connections(L"NETWARE"), 0u) << "a label beginning with N is never asked";
    EXPECT_EQ(Connections(L"PC-A"), 1u) << "the probe alone: a computer with the service is never asked";
  }
}

TEST_F(PurgeTest, AnInstallDirThatNamesAnotherServerOrADeviceCountsAsNotInstalledAndIsNeverOpened) {
  // A Windows 9x registry answers anybody: whatever it names, the console
  // (run by a domain administrator) must not open a path on another server.
  ScratchShare attacker(L"attacker", L"x");
  if (!attacker.available()) GTEST_SKIP() << "shares are simulated under Wine only";
  attacker.Add(L"quitcom.dll");
  ScratchFolder local;
  local.Add(L"quitcom.dll");
  const std::vector<std::wstring> refused = {
      L"\\\\attacker\\x",         L"//attacker/x",           L"\\\\attacker/x",         L"\\\\?\\UNC\\attacker\\x",
      L"\\\\.\\UNC\\attacker\\x", L"\\??\\UNC\\attacker\\x", L"\\\\?\\" + local.path(), L"\\\\.\\" + local.path(),
  };
  for (size_t i = 0; i < refused.size(); ++i) Win9xWith(FormatText(L"PC-%d", static_cast<int>(i)), refused[i]);
  Win9xWith(L"PC-LOCAL", local.path());
  StartConsole({{L"Purge", 1}, {L"EnableWin9x", 1}});
  ConsoleSession admin;
  admin.WaitForScan()
      .Look([](const Controls& panel) {
        EXPECT_EQ(Names(panel), std::vector<std::wstring>{L"PC-LOCAL"}) << "only a folder of this machine is looked at";
      })
      .Exit();
  RunConsole(admin);
  EXPECT_TRUE(admin.boxes().empty()) << Narrow(admin.Describe());
}

// Presses `button` on a box once `ready` comes true, after a look at the
// main dialog: an administrator who takes a while to answer.
class SlowAnswer {
 public:
  SlowAnswer(std::function<bool()> ready, std::function<void()> look, int button)
      : ready_(std::move(ready)), look_(std::move(look)), button_(button) {}
  ~SlowAnswer() {
    if (tWaiting == this) tWaiting = nullptr;
  }
  DialogAnswerer::Action Action() {
    return [this](HWND box) {
      box_ = box;
      tWaiting = this;
      ::SetTimer(nullptr, 0, 20, &SlowAnswer::Tick);
    };
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    SlowAnswer* self = tWaiting;
    if (self && !self->ready_()) return;
    ::KillTimer(nullptr, id);
    if (!self) return;
    tWaiting = nullptr;
    self->look_();
    DialogAnswerer::PressButton(self->box_, self->button_);
  }
  static thread_local SlowAnswer* tWaiting;

  std::function<bool()> ready_;
  std::function<void()> look_;
  int button_;
  HWND box_ = nullptr;
};
thread_local SlowAnswer* SlowAnswer::tWaiting = nullptr;

TEST_F(PurgeTest, AComputerAnOperationHoldsLeavesTheListOnlyWhenTheOperationIsOver) {
  StartConsole({{L"Purge", 1}});
  Listed(L"PC-A");  // unreachable: purged
  for (const wchar_t* pc : {L"PC-B", L"PC-C", L"PC-D"}) Workstation(pc);
  services.DelayEachCall(200);  // PC-A is known at once; the scan of its neighbours takes a while
  HWND panel = nullptr;
  std::vector<std::wstring> namesWhenPurged;
  SlowAnswer start(
      [&panel] { return ::IsWindowEnabled(::GetDlgItem(panel, IDC_REFRESH)) != FALSE; },  // the scan, purge and all
      [&] {
        namesWhenPurged = Names(Controls{panel});
        services.DelayEachCall(0);
      },
      IDYES);
  ConsoleSession admin;
  admin.Do(L"remember the dialog", [&panel](HWND window) { panel = window; })
      .Look([](const Controls& dialog) { EXPECT_FALSE(dialog.Enabled(IDC_REFRESH)) << "the scan still runs"; })
      .Select({L"PC-A"})
      .Click(IDC_START_STOP)
      .Answer(start.Action())
      .Answer(IDOK)
      .Look([](const Controls& dialog) {
        EXPECT_EQ(Names(dialog), (std::vector<std::wstring>{L"PC-B", L"PC-C", L"PC-D"})) << "gone once let go";
      })
      .Exit();
  RunConsole(admin);

  EXPECT_EQ(namesWhenPurged, (std::vector<std::wstring>{L"PC-A", L"PC-B", L"PC-C", L"PC-D"}))
      << "the purge waited for the operation";
  std::vector<std::wstring> boxes = BoxTexts(admin);
  ASSERT_EQ(boxes.size(), 2u) << Narrow(admin.Describe());
  EXPECT_EQ(boxes[0], L"Start Lullan on PC-A?");
  EXPECT_EQ(boxes[1].find(L"Error opening SCM on PC PC-A: "), 0u) << Narrow(boxes[1]);
  std::vector<std::wstring> status = admin.statusTexts();
  EXPECT_NE(std::find(status.begin(), status.end(), L"Purged 1 computer from list."), status.end());
  EXPECT_EQ(status.back(), L"3 of 3 computers running Lullan service");
}

TEST_F(PurgeTest, EndingSessionsReachesEverySelectedComputerWhileThePurgeTakesRowsAwayAndTellsThosePurged) {
  StartConsole({{L"Purge", 1}});
  Listed(L"PC-A");  // above the selection, unreachable: purged during the operation
  Workstation(L"PC-1", L"alice");
  Listed(L"PC-Z");  // selected, unreachable: purged before its turn
  Workstation(L"PC-2", L"bob");
  services.DelayEachCall(200);  // the scan is still running when the operation starts
  logoff.On(L"PC-1").CreateFails(E_ACCESSDENIED);
  HWND panel = nullptr;
  SlowAnswer afterThePurge([&panel] { return ::IsWindowEnabled(::GetDlgItem(panel, IDC_REFRESH)) != FALSE; },
                           [this] { services.DelayEachCall(0); }, IDOK);
  ConsoleSession admin;
  admin.Do(L"remember the dialog", [&panel](HWND window) { panel = window; })
      .Select({L"PC-1", L"PC-Z", L"PC-2"})
      .Click(IDC_LOGOFF_NOW)
      .Answer(IDYES)
      .Answer(afterThePurge.Action())  // PC-1's failure, answered once the purge is done
      .Look([](const Controls& dialog) {
        EXPECT_EQ(Names(dialog), (std::vector<std::wstring>{L"PC-1", L"PC-2"}));
      })
      .Exit();
  RunConsole(admin);

  EXPECT_EQ(BoxTexts(admin), (std::vector<std::wstring>{L"Logoff current user on 3 machines?",
                                                        L"CoCreateInstanceEx error: Access denied"}));
  std::vector<std::wstring> lines;
  for (const std::wstring& text : admin.statusTexts())
    if (text.find(L"Logoff on") == 0) lines.push_back(text);
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"Logoff on PC-1 failed.", L"Logoff on PC-Z failed: no longer listed.",
                                              L"Logoff on PC-2 successful."}))
      << Narrow(admin.DescribeStatus());
  ASSERT_EQ(logoff.Calls().size(), 1u);
  EXPECT_EQ(logoff.Calls()[0].machine, L"PC-2");
}

}  // namespace
}  // namespace lullan::test
