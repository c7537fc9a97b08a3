// "Assign Profile": the chooser, the question, what each selected
// workstation gets in its version key, the progress lines, where the
// operation ends early, and what the list shows afterwards.
#include "profile_assignment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "error_text.h"
#include "profile_server_fixture.h"
#include "profile_sessions.h"
#include "text_format.h"

namespace lullan::test {
namespace {

constexpr wchar_t kChooser[] = L"Shared profiles: Select a shared &profile:";

// A key whose DACL lets everyone read it and delete it, and nobody write
// into it; the owner may still change the DACL, which the guard puts back
// to full control when it goes (so that the scratch key can be removed).
class ReadOnlyKey {
 public:
  ReadOnlyKey(HKEY root, const std::wstring& path) : root_(root), path_(path) { Apply(KEY_READ | DELETE); }
  ~ReadOnlyKey() { Apply(KEY_ALL_ACCESS); }
  ReadOnlyKey(const ReadOnlyKey&) = delete;
  ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;

 private:
  void Apply(ACCESS_MASK rights) {
    HKEY opened = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(root_, path_.c_str(), 0, WRITE_DAC, &opened), ERROR_SUCCESS);
    unique_hkey key(opened);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    unique_allocated_sid everyone;
    ASSERT_TRUE(::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, everyone.put()));
    BYTE aclBuffer[256] = {};
    auto* acl = reinterpret_cast<ACL*>(aclBuffer);
    ASSERT_TRUE(::InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION));
    ASSERT_TRUE(::AddAccessAllowedAce(acl, ACL_REVISION, rights, everyone.get()));
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
    ASSERT_EQ(::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
  }
  HKEY root_;
  std::wstring path_;
};

class ProfileAssignmentTest : public ProfileServerTest {
 protected:
  ProfileAssignmentTest() {
    Profile(L"stdLogoff");
    Profile(L"stdShutdown");
    Workstation(L"PC-1", L"alice", 5);
    Workstation(L"PC-2", L"bob", 10);
    Workstation(L"PC-3", L"carol", 15);
    Store(L"PC-2", L"Profile", L"stdShutdown");
  }

  // What a workstation's version key says of its assignment, as
  // "stdLogoff from SERVER at 0x000E0005"; "-" for a value it lacks.
  std::wstring Assignment(const std::wstring& computer) {
    HKEY machine = Registry(computer);
    std::optional<DWORD> stamp = ReadDword(machine, kVersionKey, L"ProfileLastChanged");
    return ReadString(machine, kVersionKey, L"Profile").value_or(L"-") + L" from " +
           ReadString(machine, kVersionKey, L"PLS").value_or(L"-") + L" at " +
           (stamp ? FormatText(L"0x%08lX", static_cast<unsigned long>(*stamp)) : L"-");
  }
  std::wstring Assigned(const wchar_t* profile, DWORD stamp = 0x000E0005) const {
    return FormatText(L"%s from %s at 0x%08lX", profile, app.computerName().c_str(), static_cast<unsigned long>(stamp));
  }
  static constexpr wchar_t kUnassigned[] = L"- from - at -";

  // stdLogoff for PC-1, PC-2 and PC-3, once the scan is done.
  static ConsoleSession& AssignToAllThree(ConsoleSession& admin) {
    return admin.WaitForScan()
        .Select({L"PC-1", L"PC-2", L"PC-3"})
        .Click(IDC_ASSIGN_PROFILE)
        .Answer(ChooseProfile(L"stdLogoff"))
        .Answer(IDYES);
  }
  // The status lines from the first assignment on.
  static std::vector<std::wstring> Progress(const ConsoleSession& admin) {
    const std::vector<std::wstring>& all = admin.statusTexts();
    auto first = std::find_if(all.begin(), all.end(),
                              [](const std::wstring& text) { return text.rfind(L"Assigning profile", 0) == 0; });
    return std::vector<std::wstring>(first, all.end());
  }
  // The reason the system gives for an error, on the line after a message.
  static std::wstring Reason(DWORD error) { return L"\n" + SystemErrorText(error); }
};

TEST_F(ProfileAssignmentTest, OneWorkstationGetsTheProfileTheServerAndTheStampAndItsRowShowsTheProfile) {
  std::vector<ListRow> before;
  ConsoleSession admin;
  admin.WaitForScan()
      .Select({L"PC-3"})
      .Look([&](const Controls& panel) { before = Rows(panel); })
      .Click(IDC_ASSIGN_PROFILE)
      .Answer(ChooseProfile(L"stdLogoff"))
      .Answer(IDYES)
      .Look([&](const Controls& panel) {
        std::vector<ListRow> after = Rows(panel);
        ASSERT_EQ(after.size(), before.size());
        before[2].cells[tarnel::kProfileColumn] = L"stdLogoff";
        for (size_t row = 0; row < after.size(); ++row) {
          EXPECT_EQ(after[row].cells, before[row].cells) << "row " << row << ": only PC-3's profile cell changes";
          EXPECT_EQ(after[row].image, before[row].image);
        }
      })
      // A sort reads the records: PC-3's record holds the profile too.
      .ClickColumn(tarnel::kProfileColumn)
      .Look([](const Controls& panel) {
        EXPECT_EQ(Column(panel, tarnel::kProfileColumn),
                  (std::vector<std::wstring>{L"stdShutdown", L"stdLogoff", L""}));
      })
      .Exit();
  RunConsole(admin);

  EXPECT_EQ(Texts(admin), (std::vector<std::wstring>{kChooser, Box(L"Assign profile stdLogoff to computer PC-3?")}));
  EXPECT_EQ(Progress(admin), (std::vector<std::wstring>{L"Assigning profile stdLogoff to PC-3...",
                                                        L"Profile stdLogoff successfully assigned to PC-3...",
                                                        L"Assigned profile stdLogoff to 1 computers."}));
  EXPECT_EQ(Assignment(L"PC-3"), Assigned(L"stdLogoff")) << "14:05 on the console's clock is 0x000E0005";
  HKEY pc3 = Registry(L"PC-3");
  const DWORD nameBytes = static_cast<DWORD>((app.computerName().size() + 1) * sizeof(wchar_t));
  for (auto [name, type, size] :
       {std::tuple{L"Profile", DWORD{REG_SZ}, DWORD{20}}, std::tuple{L"PLS", DWORD{REG_SZ}, nameBytes},
        std::tuple{L"ProfileLastChanged", DWORD{REG_DWORD}, DWORD{4}}}) {
    std::optional<ValueInfo> info = QueryValueInfo(pc3, kVersionKey, name);
    ASSERT_TRUE(info.has_value()) << Narrow(name);
    EXPECT_EQ(info->type, type) << Narrow(name);
    EXPECT_EQ(info->size, size) << Narrow(name) << ": texts with their terminator";
  }
  EXPECT_EQ(Assignment(L"PC-1"), kUnassigned);
  EXPECT_EQ(ReadDword(pc3, kVersionKey, L"IdleMinutes"), std::nullopt) << "no configuration value is copied";
}

TEST_F(ProfileAssignmentTest, AWorkstationWithoutTheProductEndsTheOperationWithoutSummary) {
  DeleteTree(Registry(L"PC-2"), L"SOFTWARE\\Fennick");
  ConsoleSession admin;
  AssignToAllThree(admin).Answer(IDOK).Exit();
  RunConsole(admin);
  EXPECT_EQ(Texts(admin), (std::vector<std::wstring>{kChooser, Box(L"Assign profile stdLogoff to 3 selected machines?"),
                                                     Box(L"Can't open registry key SOFTWARE\\Fennick\\Lullan on PC-2" +
                                                         Reason(ERROR_FILE_NOT_FOUND))}));
  EXPECT_EQ(Progress(admin), (std::vector<std::wstring>{L"Assigning profile stdLogoff to PC-1...",
                                                        L"Profile stdLogoff successfully assigned to PC-1...",
                                                        L"Assigning profile stdLogoff to PC-2...", L"Ready"}));
  EXPECT_EQ(Assignment(L"PC-1"), Assigned(L"stdLogoff")) << "the first keeps its new assignment";
  EXPECT_EQ(Assignment(L"PC-3"), kUnassigned) << "the third is not visited";
}

TEST_F(ProfileAssignmentTest, AReadOnlyVersionKeyIsToldAndTheOthersAreAssigned) {
  ReadOnlyKey readOnly(Registry(L"PC-2"), kVersionKey);
  ConsoleSession admin;
  AssignToAllThree(admin)
      .Answer(IDOK)
      .Look([](const Controls& panel) {
        EXPECT_EQ(Column(panel, tarnel::kProfileColumn),
                  (std::vector<std::wstring>{L"stdLogoff", L"stdShutdown", L"stdLogoff"}))
            << "PC-2 keeps what it had";
      })
      .Exit();
  RunConsole(admin);
  EXPECT_EQ(Texts(admin),
            (std::vector<std::wstring>{kChooser, Box(L"Assign profile stdLogoff to 3 selected machines?"),
                                       Box(L"Can't open registry key SOFTWARE\\Fennick\\Lullan\\1.11 on PC-2" +
                                           Reason(ERROR_ACCESS_DENIED))}));
  EXPECT_EQ(Progress(admin),
            (std::vector<std::wstring>{
                L"Assigning profile stdLogoff to PC-1...", L"Profile stdLogoff successfully assigned to PC-1...",
                L"Assigning profile stdLogoff to PC-2...", L"Ready", L"Assigning profile stdLogoff to PC-3...",
                L"Profile stdLogoff successfully assigned to PC-3...", L"Assigned profile stdLogoff to 2 computers."}));
  EXPECT_EQ(Assignment(L"PC-2"), L"stdShutdown from - at -");
}

TEST_F(ProfileAssignmentTest, AnUnreachableOrRefusingRegistryIsToldAndTheConsoleGoesOn) {
  std::vector<std::wstring> rowsBefore;
  auto assignStdLogoff = [](ConsoleSession& session) -> ConsoleSession& {
    return session.Click(IDC_ASSIGN_PROFILE).Answer(ChooseProfile(L"stdLogoff")).Answer(IDYES);
  };
  auto unchanged = [&](const Controls& panel) {
    EXPECT_EQ(RowLines(panel), rowsBefore);
    EXPECT_EQ(StatusText(panel), L"Ready");
    EXPECT_EQ(Assignment(L"PC-1"), kUnassigned);
  };
  ConsoleSession admin;
  admin.WaitForScan()
      .Select({L"PC-1", L"PC-2"})
      .Look([&](const Controls& panel) { rowsBefore = RowLines(panel); })
      .Do(L"PC-1 can no longer be reached", [this](HWND) { registry.FailMachine(L"PC-1", ERROR_BAD_NETPATH); });
  assignStdLogoff(admin).Answer(IDOK).Look(unchanged);
  admin.Do(L"PC-1 refuses the console", [this](HWND) { registry.FailMachine(L"PC-1", ERROR_ACCESS_DENIED); });
  assignStdLogoff(admin).Answer(IDOK).Look(unchanged);
  admin.Do(L"PC-1 answers again", [this](HWND) { registry.FailMachine(L"PC-1", ERROR_SUCCESS); });
  assignStdLogoff(admin).Exit();
  RunConsole(admin);

  const std::wstring question = Box(L"Assign profile stdLogoff to 2 selected machines?");
  EXPECT_EQ(Texts(admin),
            (std::vector<std::wstring>{
                kChooser, question, Box(L"Can't connect to PC-1's registry" + Reason(ERROR_BAD_NETPATH)), kChooser,
                question, Box(L"Can't connect to PC-1's registry" + Reason(ERROR_ACCESS_DENIED)), kChooser, question}));
  EXPECT_EQ(Assignment(L"PC-1"), Assigned(L"stdLogoff"));
  EXPECT_EQ(Assignment(L"PC-2"), Assigned(L"stdLogoff")) << "not visited after the failures; assigned at the end";
  EXPECT_EQ(Progress(admin).back(), L"Assigned profile stdLogoff to 2 computers.");
}

TEST_F(ProfileAssignmentTest, NothingIsAssignedWithoutASelectionAChoiceOrAYes) {
  ConsoleSession admin;
  admin.WaitForScan()
      .Click(IDC_ASSIGN_PROFILE)
      .Answer(IDOK)
      .Select({L"PC-1"})
      .Click(IDC_ASSIGN_PROFILE)
      .Answer(ChooseProfile(L""))
      .Click(IDC_ASSIGN_PROFILE)
      .Answer(ChooseProfile(L"stdShutdown"))
      .Answer(IDNO)
      .Exit();
  RunConsole(admin);
  EXPECT_EQ(Texts(admin), (std::vector<std::wstring>{Box(L"No computer selected"), kChooser, kChooser,
                                                     Box(L"Assign profile stdShutdown to computer PC-1?")}))
      << "a chooser closed without a choice asks nothing";
  EXPECT_TRUE(Progress(admin).empty());
  EXPECT_EQ(Assignment(L"PC-1"), kUnassigned);
}

// The monitor copies a profile only when the workstation's stamp differs
// from the profile's: an assignment in the very minute of the profile's
// last change would otherwise never reach the workstation.
TEST_F(ProfileAssignmentTest, AnAssignmentInTheMinuteOfTheProfilesLastChangeIsStampedAMinuteEarlier) {
  WriteDword(HKEY_LOCAL_MACHINE, ProfileKey(L"stdLogoff"), L"ProfileLastChanged", 0x000E0005);
  ConsoleSession admin;
  admin.WaitForScan()
      .Select({L"PC-1"})
      .Click(IDC_ASSIGN_PROFILE)
      .Answer(ChooseProfile(L"stdLogoff"))
      .Answer(IDYES)
      .Exit();
  RunConsole(admin);
  EXPECT_EQ(Assignment(L"PC-1"), Assigned(L"stdLogoff", 0x000E0004));

  struct Case {
    DWORD now;
    std::optional<DWORD> profile;
    DWORD stamp;
  };
  for (const Case& c : {Case{0x000E0005, std::nullopt, 0x000E0005}, Case{0x000E0005, 0x000E0004, 0x000E0005},
                        Case{0x000E0000, 0x000E0000, 0x000D003B}, Case{0x00000000, 0x00000000, 0x0017003B}}) {
    EXPECT_EQ(tarnel::AssignmentStamp(c.now, c.profile), c.stamp)
        << std::hex << "at 0x" << c.now << " with the profile at 0x" << c.profile.value_or(0xFFFFFFFF);
  }
}

}  // namespace
}  // namespace lullan::test
