#include "console_fixture.h"

#include "error_text.h"
#include "message_box.h"
#include "server_panel_dlg.h"
#include "text_format.h"

namespace lullan::test {

namespace {

std::wstring NewConsoleKey() {
  static int counter = 0;
  return FormatText(L"SOFTWARE\\LullanTests\\console-%lu-%d\\1.11\\Tarnel", ::GetCurrentProcessId(), ++counter);
}

// The test's own root under SOFTWARE, which holds the console key.
std::wstring RootOf(const std::wstring& consoleKey) { return consoleKey.substr(0, consoleKey.find(L"\\1.11\\Tarnel")); }

}  // namespace

ConsoleTest::ConsoleTest() : consoleKey(NewConsoleKey()), app(consoleKey) {
  DeleteTree(HKEY_LOCAL_MACHINE, RootOf(consoleKey));
  ui::SetProgramTitle(tarnel::kProgramTitle);
  domain.DomainController(L"DC1");
  platform_.Use(domain).Use(services).Use(registry).Use(logoff);
}

ConsoleTest::~ConsoleTest() { DeleteTree(HKEY_LOCAL_MACHINE, RootOf(consoleKey)); }

ScriptedDomain::Computer& ConsoleTest::Workstation(const std::wstring& name, const std::wstring& user, DWORD idle,
                                                   DWORD state) {
  services.On(name).Service(L"Lullan", state);
  Store(name, L"sims$", idle);
  LoggedOn(name, user);
  return Listed(name);
}

void ConsoleTest::Store(const std::wstring& computer, const wchar_t* name, DWORD value, const std::wstring& key) {
  WriteDword(Registry(computer), key, name, value);
}

void ConsoleTest::Store(const std::wstring& computer, const wchar_t* name, const std::wstring& text,
                        const std::wstring& key) {
  WriteString(Registry(computer), key, name, text);
}

void ConsoleTest::LoggedOn(const std::wstring& computer, const std::wstring& user) {
  Store(computer, L"DefaultUserName", user, kWinlogonKey);
}

INT_PTR ConsoleTest::RunConsole(ConsoleSession& admin) {
  tarnel::CServerPanelDlg panel(app);
  INT_PTR result = admin.Run(panel);
  EXPECT_TRUE(panel.WaitForScan(30000)) << "the scan threads still ran half a minute after the dialog closed";
  return result;
}

std::vector<std::wstring> ConsoleTest::ManagersOpened() const {
  std::vector<std::wstring> machines;
  for (const ScriptedServiceManager::Call& call : services.Calls())
    if (call.operation == ScriptedServiceManager::Operation::OpenManager) machines.push_back(call.machine);
  return machines;
}

std::wstring ConsoleTest::Because(const std::wstring& text, DWORD error) {
  return text + L": " + SystemErrorText(error);
}

}  // namespace lullan::test
