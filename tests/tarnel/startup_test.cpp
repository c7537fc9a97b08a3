// Start-up and the main dialog as it first shows: the console settings, the
// domain controller, every control with its label, the columns, the images,
// the status bar, the system menu's About box and the keys that end it.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "console_fixture.h"
#include "console_settings.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using tarnel::ConsoleSettings;
using tarnel::ReadConsoleSettings;

class StartupTest : public ConsoleTest {
 protected:
  static std::wstring Heading(HWND list, int column) {
    wchar_t text[64] = {};
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_TEXT;
    lvc.pszText = text;
    lvc.cchTextMax = ARRAYSIZE(text);
    ::SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&lvc));
    return text;
  }
  static std::wstring MenuItemText(HMENU menu, UINT id) {
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, id, text, ARRAYSIZE(text), MF_BYCOMMAND);
    return text;
  }
};

TEST_F(StartupTest, TheMainDialogShowsItsControlsColumnsImagesAndStatusBar) {
  Workstation(L"PC1").Nt(4, 0);  // every text narrower than its heading
  ConsoleSession admin;
  admin.WaitForScan()
      .Look([](const Controls& panel) {
        EXPECT_EQ(DialogAnswerer::WindowText(panel.parent), L"Lullan Server Control Panel");
        struct Button {
          unsigned id;
          const wchar_t* label;
        };
        for (const Button& b :
             {Button{IDC_SHARED_PROFILES, L"Shared Profiles"}, Button{IDC_ASSIGN_PROFILE, L"Assign Profile"},
              Button{IDC_CONFIGURE, L"Configure"}, Button{IDC_START_STOP, L"Start/Stop"},
              Button{IDC_LOGOFF_NOW, L"Logoff Now!"}, Button{IDC_SHUTDOWN_NOW, L"Shutdown Now!"},
              Button{IDC_REBOOT_NOW, L"Reboot Now!"}, Button{IDC_REFRESH, L"Refresh"}, Button{IDCANCEL, L"Exit"}}) {
          EXPECT_EQ(panel.Label(b.id), b.label);
          EXPECT_TRUE(panel.Enabled(b.id)) << "every operation is built: " << Narrow(b.label);
        }
        EXPECT_EQ(panel.Labels(), std::vector<std::wstring>{L"Remote Machine"});

        HWND list = panel.Item(IDC_MACHINES);
        EXPECT_TRUE(panel.Focused(IDC_MACHINES)) << "the list has the focus";
        LONG_PTR style = ::GetWindowLongPtrW(list, GWL_STYLE);
        EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
        EXPECT_FALSE(style & (LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SORTDESCENDING)) << "several rows, no own sort";
        struct ColumnHeading {
          const wchar_t* text;
          int margin;
        };
        const ColumnHeading headings[] = {{L"Computer ", 16},    {L"OS Ver", 12},   {L"Daily Logoff", 12},
                                          {L"Current User", 12}, {L"Idle For", 12}, {L"Previous User", 12},
                                          {L"Profile", 12}};
        ui::CListView view(list);
        for (int column = 0; column < 7; ++column) {
          EXPECT_EQ(StartupTest::Heading(list, column), headings[column].text);
          EXPECT_EQ(view.ColumnWidth(column), view.StringWidth(headings[column].text) + headings[column].margin)
              << "column " << column << ": texts narrower than the heading keep its width";
        }
        HIMAGELIST images = reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
        EXPECT_EQ(::ImageList_GetImageCount(images), 3);
        int width = 0, height = 0;
        ::ImageList_GetIconSize(images, &width, &height);
        EXPECT_EQ(width, 16);
        EXPECT_EQ(height, 16);

        HWND bar = panel.Item(IDC_STATUS_BAR);
        ASSERT_NE(bar, nullptr);
        EXPECT_TRUE(::SendMessageW(bar, SB_ISSIMPLE, 0, 0)) << "one pane";
        RECT barRect{}, listRect{};
        ::GetWindowRect(bar, &barRect);
        ::GetWindowRect(list, &listRect);
        EXPECT_LT(listRect.bottom, barRect.top) << "the list stops above the status bar";

        EXPECT_NE(::SendMessageW(panel.parent, WM_GETICON, ICON_BIG, 0), 0);
        EXPECT_NE(::SendMessageW(panel.parent, WM_GETICON, ICON_SMALL, 0), 0);
        EXPECT_EQ(MenuItemText(::GetSystemMenu(panel.parent, FALSE), IDM_ABOUTBOX), L"&About tarnel...");
      })
      .Do(L"choose About in the system menu", [](HWND panel) { ::SendMessageW(panel, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); })
      .Answer(IDOK)
      .Exit();
  RunConsole(admin);
  ASSERT_EQ(admin.boxes().size(), 1u) << admin.Describe();
  const SeenDialog& about = admin.boxes()[0];
  EXPECT_EQ(about.caption, L"About tarnel");
  ASSERT_EQ(about.texts.size(), 3u) << "the icon, and two lines: " << admin.Describe();
  EXPECT_EQ(about.texts[1], L"Lullan Server Control Panel 1.0 SR2");
}

BOOL CALLBACK CollectIcon(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR icons) {
  reinterpret_cast<std::vector<ULONG_PTR>*>(icons)->push_back(reinterpret_cast<ULONG_PTR>(name));
  return TRUE;
}

// The console links the configuration pages' resources with its own; an
// image numbered alike in both would show one icon's picture for another's.
TEST(ConsoleResourcesTest, EveryIconHasImagesOfItsOwn) {
  std::vector<ULONG_PTR> icons;
  ::EnumResourceNamesW(nullptr, RT_GROUP_ICON, &CollectIcon, reinterpret_cast<LONG_PTR>(&icons));
  std::map<WORD, ULONG_PTR> owners;  // image id -> the icon showing it
  for (ULONG_PTR icon : icons) {
    ASSERT_TRUE(IS_INTRESOURCE(icon)) << "every icon of the suite has a number";
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(icon), RT_GROUP_ICON);
    const BYTE* directory = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)));
    WORD count = 0;
    std::memcpy(&count, directory + 4, sizeof count);
    for (WORD i = 0; i < count; ++i) {
      WORD image = 0;
      std::memcpy(&image, directory + 6 + 14 * i + 12, sizeof image);  // the entry's image id
      EXPECT_NE(::FindResourceW(nullptr, MAKEINTRESOURCEW(image), RT_ICON), nullptr) << "icon " << icon;
      auto [first, added] = owners.emplace(image, icon);
      EXPECT_TRUE(added) << "image " << image << " is shown by icons " << first->second << " and " << icon;
    }
  }
  // The program's icon at both sizes; the list's state icons at the one size the list shows.
  for (auto [icon, images] : {std::pair<ULONG_PTR, long>{IDI_TARNEL, 2},
                              {IDI_SERVICE_PRESENT, 1},
                              {IDI_SERVICE_RUNNING, 1},
                              {IDI_SERVICE_UNKNOWN, 1}}) {
    EXPECT_EQ(std::count_if(owners.begin(), owners.end(), [icon = icon](const auto& o) { return o.second == icon; }),
              images)
        << "icon " << icon;
  }
}

TEST_F(StartupTest, EnterClosesTheDialogAsOKAndEscAsExit) {
  for (unsigned key : {IDOK, IDCANCEL}) {
    ConsoleSession admin;
    admin.WaitForScan().Do(L"press the key", [key](HWND panel) { ::PostMessageW(panel, WM_COMMAND, key, 0); });
    EXPECT_EQ(RunConsole(admin), static_cast<INT_PTR>(key));
  }
}

TEST_F(StartupTest, StartUpTellsAMissingDomainControllerAndGoesOn) {
  domain.NoDomainController(ERROR_NO_SUCH_DOMAIN);
  DialogAnswerer boxes;
  boxes.Answer(IDOK);
  app.InitInstance();
  ASSERT_EQ(boxes.seen().size(), 1u) << Narrow(boxes.Describe());
  EXPECT_EQ(boxes.seen()[0].caption, L"Lullan Server Control Panel");
  EXPECT_EQ(boxes.seen()[0].Text(), L"Can't find domain controller: error 1355\r\nIs your network up?");
  EXPECT_EQ(app.host().FindDomainController().status, static_cast<NET_API_STATUS>(NERR_DCNotFound));

  domain.DomainController(L"DC1");
  app.InitInstance();
  EXPECT_EQ(boxes.seen().size(), 1u) << "no message when the domain has a controller";
  EXPECT_EQ(app.host().FindDomainController().name, L"\\\\DC1");
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = ARRAYSIZE(name);
  ::GetComputerNameW(name, &length);
  EXPECT_EQ(app.computerName(), name);
}

TEST_F(StartupTest, TheConsoleSettingsAreReadFromAnExistingKeyOnly) {
  struct Stored {
    const wchar_t* name;
    DWORD type;
    DWORD data;
  };
  struct Case {
    const char* what;
    bool keyExists;
    std::vector<Stored> values;
    ConsoleSettings expected;
  };
  const std::vector<Case> cases = {
      {"first run: the key is made, nothing is read", false, {}, {false, false, false}},
      {"an existing key without values: Purge is on", true, {}, {false, false, true}},
      {"every value set",
       true,
       {{L"Debug", REG_DWORD, 1}, {L"EnableWin9x", REG_DWORD, 2}, {L"Purge", REG_DWORD, 0}},
       {true, true, false}},
      {"values of another type count for nothing",
       true,
       {{L"EnableWin9x", REG_BINARY, 1}, {L"Purge", REG_BINARY, 0}, {L"ProbeThreads", REG_BINARY, 8}},
       {false, false, true}},
      {"probes side by side", true, {{L"ProbeThreads", REG_DWORD, 64}}, {false, false, true, 64}},
      {"no more than 256 probes at once", true, {{L"ProbeThreads", REG_DWORD, 100000}}, {false, false, true, 256}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteTree(HKEY_LOCAL_MACHINE, consoleKey);
    if (c.keyExists) WriteDword(HKEY_LOCAL_MACHINE, consoleKey, L"Unrelated", 0);
    for (const Stored& v : c.values) WriteRaw(HKEY_LOCAL_MACHINE, consoleKey, v.name, v.type, &v.data, sizeof v.data);
    ConsoleSettings read = ReadConsoleSettings(nullptr, consoleKey);
    EXPECT_EQ(read.debug, c.expected.debug);
    EXPECT_EQ(read.enableWin9x, c.expected.enableWin9x);
    EXPECT_EQ(read.purge, c.expected.purge);
    EXPECT_EQ(read.probeThreads, c.expected.probeThreads);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, consoleKey));
  }
}

TEST_F(StartupTest, AConsoleKeyThatCannotBeOpenedIsToldAndLeavesEverySettingOff) {
  std::wstring impossible = consoleKey + L"\\" + std::wstring(300, L'x');  // longer than any key name
  DialogAnswerer boxes;
  boxes.Answer(IDOK);
  ConsoleSettings read = ReadConsoleSettings(nullptr, impossible);
  EXPECT_FALSE(read.debug || read.enableWin9x || read.purge);
  ASSERT_EQ(boxes.seen().size(), 1u);
  EXPECT_EQ(boxes.seen()[0].Text(), L"opening registry key " + impossible);
}

}  // namespace
}  // namespace lullan::test
