// "Assign Profile": the chooser, the question, what each selected
// workstation gets in its version key, the progress lines, where the
// operation ends early, and what the list shows afterwards.
#include "profile_assignment.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "profile_server_fixture.h"
#include "responsiveness_probe.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using Strings = std::vector<std::wstring>;
constexpr wchar_t kChooser[] = L"Shared profiles: Select a shared &profile:";

class ProfileAssignmentTest : public ProfileServerTest {
 protected:
  ProfileAssignmentTest() {
    Profile(L"stdLogoff");
    Workstation(L"PC-1", L"alice", 5);
    Workstation(L"PC-2", L"bob", 10);
    Workstation(L"PC-3", L"carol", 15);
    Store(L"PC-2", L"Profile", L"stdShutdown");
  }
  ~ProfileAssignmentTest() override {
    if (!readOnly_.empty()) AllowEveryone(readOnly_, KEY_ALL_ACCESS);  // so that the key can go
  }

  // Nobody may write into the computer's version key; everyone may read it.
  void DenyWrites(const std::wstring& computer) {
    readOnly_ = computer;
    AllowEveryone(computer, KEY_READ);
  }
  void AllowEveryone(const std::wstring& computer, ACCESS_MASK rights) {
    HKEY opened = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(Registry(computer), kVersionKey, 0, WRITE_DAC, &opened), ERROR_SUCCESS);
    unique_hkey key(opened);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    unique_allocated_sid everyone;
    ASSERT_TRUE(::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, everyone.put()));
    alignas(ACL) BYTE buffer[128] = {};
    auto* acl = reinterpret_cast<ACL*>(buffer);
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(::InitializeAcl(acl, sizeof buffer, ACL_REVISION) &&
                ::AddAccessAllowedAce(acl, ACL_REVISION, rights, everyone.get()) &&
                ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                ::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
    ASSERT_EQ(::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
  }

  // A workstation's assignment as "stdLogoff from SERVER at 0x000E0005", "-" for what it lacks.
  std::wstring Assignment(const std::wstring& computer) {
    std::optional<DWORD> stamp = ReadDword(Registry(computer), kVersionKey, L"ProfileLastChanged");
    return ReadString(Registry(computer), kVersionKey, L"Profile").value_or(L"-") + L" from " +
           ReadString(Registry(computer), kVersionKey, L"PLS").value_or(L"-") + L" at " +
           (stamp ? FormatText(L"0x%08lX", static_cast<unsigned long>(*stamp)) : L"-");
  }
  std::wstring Assigned() const { return L"stdLogoff from " + app.computerName() + L" at 0x000E0005"; }

  // stdLogoff for PC-1, PC-2 and PC-3, where PC-2's trouble is told in
  // `message`; PC-1 is assigned and PC-2 keeps what it had.
  void AssignToAllThree(const std::wstring& message) {
    Strings profiles;
    ConsoleSession admin;
    admin.WaitForScan().Select({L"PC-1", L"PC-2", L"PC-3"}).Look([&](const Controls& panel) {
      profiles = Column(panel, tarnel::kProfileColumn);
    });
    AssignStdLogoff(admin)
        .Answer(IDOK)
        .Look([&](const Controls& panel) {
          EXPECT_EQ(Column(panel, tarnel::kProfileColumn)[1], profiles[1]) << "PC-2's row keeps what it had";
        })
        .Exit();
    RunConsole(admin);
    EXPECT_EQ(Texts(admin),
              (Strings{kChooser, Box(L"Assign profile stdLogoff to 3 selected machines?"), Box(message)}));
    EXPECT_EQ(Assignment(L"PC-1"), Assigned());
    progress = Progress(admin);
  }
  Strings progress;  // of the last AssignToAllThree

  // The chooser, stdLogoff and Yes for the selected computers.
  static ConsoleSession& AssignStdLogoff(ConsoleSession& admin) {
    return admin.Click(IDC_ASSIGN_PROFILE).Answer(ChooseProfile(L"stdLogoff")).Answer(IDYES);
  }
  // The status lines from the first assignment on.
  static Strings Progress(const ConsoleSession& admin) {
    const Strings& all = admin.statusTexts();
    return Strings(
        std::find_if(all.begin(), all.end(), [](const std::wstring& text) { return text.rfind(L"Assigning", 0) == 0; }),
        all.end());
  }
  static std::wstring Assigning(const wchar_t* computer) {
    return FormatText(L"Assigning profile stdLogoff to %s...", computer);
  }
  static std::wstring Success(const wchar_t* computer) {
    return FormatText(L"Profile stdLogoff successfully assigned to %s...", computer);
  }

 private:
  std::wstring readOnly_;
};

TEST_F(ProfileAssignmentTest, OneWorkstationGetsTheProfileTheServerAndTheStampAndItsRowShowsTheProfile) {
  std::vector<ListRow> before;
  ConsoleSession admin;
  admin.WaitForScan().Select({L"PC-3"}).Look([&](const Controls& panel) { before = Rows(panel); });
  AssignStdLogoff(admin)
      .Look([&](const Controls& panel) {
        before[2].cells[tarnel::kProfileColumn] = L"stdLogoff";
        std::vector<ListRow> after = Rows(panel);
        for (size_t row = 0; row < after.size(); ++row)
          EXPECT_EQ(after[row].cells, before[row].cells) << "row " << row << ": only PC-3's Profile cell changes";
      })
      .ClickColumn(tarnel::kProfileColumn)  // the sort reads the records
      .Look([](const Controls& panel) {
        EXPECT_EQ(Column(panel, tarnel::kProfileColumn), (Strings{L"stdShutdown", L"stdLogoff", L""}));
      })
      .Exit();
  RunConsole(admin);
  EXPECT_EQ(Texts(admin), (Strings{kChooser, Box(L"Assign profile stdLogoff to computer PC-3?")}));
  EXPECT_EQ(Progress(admin),
            (Strings{Assigning(L"PC-3"), Success(L"PC-3"), L"Assigned profile stdLogoff to 1 computers."}));
  EXPECT_EQ(Assignment(L"PC-3"), Assigned()) << "14:05 on the console's clock is 0x000E0005";
  std::optional<ValueInfo> profile = QueryValueInfo(Registry(L"PC-3"), kVersionKey, L"Profile");
  ASSERT_TRUE(profile.has_value());
  EXPECT_EQ(profile->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(profile->size, 20u) << "the name with its terminator";
  EXPECT_EQ(Assignment(L"PC-1"), L"- from - at -");
}

TEST_F(ProfileAssignmentTest, AWorkstationWithoutTheProductEndsTheOperationWithoutSummary) {
  DeleteTree(Registry(L"PC-2"), L"SOFTWARE\\Fennick");
  AssignToAllThree(Because(L"Can't open registry key SOFTWARE\\Fennick\\Lullan on PC-2", ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(progress, (Strings{Assigning(L"PC-1"), Success(L"PC-1"), Assigning(L"PC-2"), L"Ready"}));
  EXPECT_EQ(Assignment(L"PC-3"), L"- from - at -") << "not visited";
}

TEST_F(ProfileAssignmentTest, AReadOnlyVersionKeyIsToldAndTheOthersAreAssigned) {
  DenyWrites(L"PC-2");
  AssignToAllThree(Because(L"Can't open registry key SOFTWARE\\Fennick\\Lullan\\1.11 on PC-2", ERROR_ACCESS_DENIED));
  EXPECT_EQ(progress, (Strings{Assigning(L"PC-1"), Success(L"PC-1"), Assigning(L"PC-2"), L"Ready", Assigning(L"PC-3"),
                               Success(L"PC-3"), L"Assigned profile stdLogoff to 2 computers."}));
  EXPECT_EQ(Assignment(L"PC-3"), Assigned());
}

TEST_F(ProfileAssignmentTest, AnUnreachableOrRefusingRegistryIsToldWhileTheDialogAnswersAndNothingElseChanges) {
  ResponsivenessProbe probe;
  Strings rowsBefore;
  auto unchanged = [&](const Controls& panel) {
    EXPECT_EQ(RowLines(panel), rowsBefore);
    EXPECT_EQ(StatusText(panel), L"Ready");
  };
  ConsoleSession admin;
  admin.WaitForScan()
      .Click(IDC_ASSIGN_PROFILE)
      .Answer(IDOK)  // nothing selected
      .Select({L"PC-1", L"PC-2"})
      .Click(IDC_ASSIGN_PROFILE)
      .Answer(ChooseProfile(L""))  // no choice: no question
      .Look([&](const Controls& panel) { rowsBefore = RowLines(panel); })
      .Do(L"PC-1 is cut off, and slow to say so", [&](HWND panel) {
        registry.FailMachine(L"PC-1", ERROR_BAD_NETPATH);
        registry.DelayEachCall(1000);
        probe.Watch(panel);
      });
  AssignStdLogoff(admin).Answer(IDOK).Look(unchanged);
  admin.Do(L"PC-1 refuses the console", [this](HWND) { registry.FailMachine(L"PC-1", ERROR_ACCESS_DENIED); });
  AssignStdLogoff(admin).Answer(IDOK).Look(unchanged).Do(L"stop watching", [&probe](HWND) { probe.Stop(); }).Exit();
  RunConsole(admin);
  EXPECT_LT(probe.slowestMs(), 500u) << "the dialog never waited for the workstation";
  const std::wstring question = Box(L"Assign profile stdLogoff to 2 selected machines?");
  EXPECT_EQ(Texts(admin), (Strings{Box(L"No computer selected"), kChooser, kChooser, question,
                                   Box(Because(L"Can't connect to PC-1's registry", ERROR_BAD_NETPATH)), kChooser,
                                   question, Box(Because(L"Can't connect to PC-1's registry", ERROR_ACCESS_DENIED))}));
  EXPECT_EQ(Assignment(L"PC-1"), L"- from - at -");
  EXPECT_EQ(Assignment(L"PC-2"), L"stdShutdown from - at -") << "not visited after the first fails";
}

// The monitor copies a profile only when the stamps differ: an assignment in
// the minute of the profile's last change would never reach the workstation.
TEST_F(ProfileAssignmentTest, AnAssignmentInTheMinuteOfTheProfilesLastChangeIsStampedAMinuteEarlier) {
  const std::tuple<DWORD, std::optional<DWORD>, DWORD> cases[] = {{0x000E0005, std::nullopt, 0x000E0005},
                                                                  {0x000E0005, 0x000E0004, 0x000E0005},
                                                                  {0x000E0000, 0x000E0000, 0x000D003B},
                                                                  {0x00000000, 0x00000000, 0x0017003B}};
  for (const auto& [now, profile, stamp] : cases) {
    EXPECT_EQ(tarnel::AssignmentStamp(now, profile), stamp)
        << std::hex << "at 0x" << now << " with the profile's 0x" << profile.value_or(0xFFFFFFFF);
  }
}

}  // namespace
}  // namespace lullan::test
