// The service account dialog and the administrator checks under it: who is
// accepted, what is stored, and how the domain is asked.
#include <gtest/gtest.h>

#include "domain_checks.h"
#include "resource.h"
#include "service_account_dlg.h"
#include "setup_fixture.h"
#include "text_format.h"

namespace lullan::test {
namespace {

class ServiceAccountTest : public SetupTest {
 protected:
  ServiceAccountTest() {
    domain.AddUser(L"svc-lullan").Admin();
    domain.AddUser(L"clerk");
    app = std::make_unique<setup::CSetupApp>(site);
    EXPECT_TRUE(app->Start(L"setup.exe"));
  }

  // Runs the dialog as `admin` drives it; the boxes it raised.
  std::vector<std::wstring> Run(ModalSession& admin) {
    setup::CServiceAccountDlg dialog(*app);
    admin.Run(dialog);
    return Texts(admin.boxes());
  }
  static void Fill(ModalSession& admin, const std::wstring& name, const std::wstring& password,
                   const std::wstring& repeat) {
    admin.Type(IDC_ACCOUNT_NAME, name).Type(IDC_PASSWORD, password).Type(IDC_REPEAT_PASSWORD, repeat);
  }
};

TEST_F(ServiceAccountTest, OnlyAnAdministratorWithMatchingPasswordsIsStored) {
  const size_t lookupsBefore = domain.dcQueries.size();
  ModalSession admin;
  admin.Look([](const Controls& dialog) {
    EXPECT_EQ(DialogAnswerer::WindowText(dialog.parent), L"Set account to run Lullan service");
    EXPECT_TRUE((::GetWindowLongPtrW(dialog.Item(IDC_PASSWORD), GWL_STYLE) & ES_PASSWORD) != 0);
    EXPECT_TRUE((::GetWindowLongPtrW(dialog.Item(IDC_REPEAT_PASSWORD), GWL_STYLE) & ES_PASSWORD) != 0);
  });
  Fill(admin, L"clerk", L"pw", L"pw");
  admin.Answer(IDOK).PressOK().Look([](const Controls& dialog) { EXPECT_TRUE(::IsWindowVisible(dialog.parent)); });
  Fill(admin, L"svc-lullan", L"Secret", L"secret");
  admin.Answer(IDOK).PressOK();
  Fill(admin, L"svc-lullan", L"Secret", L"Secret");
  admin.PressOK();
  EXPECT_EQ(Run(admin), (std::vector<std::wstring>{L"Error: user clerk doesn't have administrator rights.",
                                                   L"Error: passwords don't match."}));
  EXPECT_EQ(app->serviceAccount, L"FENNICK\\svc-lullan");
  EXPECT_EQ(app->servicePassword, L"Secret");
  EXPECT_EQ(domain.dcQueries.size() - lookupsBefore, 3u) << "every check asks for the domain controller again";
}

TEST_F(ServiceAccountTest, AnEmptyNameAsksNothingAndStoresNothing) {
  ModalSession admin;
  admin.PressOK();
  EXPECT_TRUE(Run(admin).empty());
  EXPECT_TRUE(domain.workstationQueries.empty());
  EXPECT_EQ(app->serviceAccount, L"");
}

TEST_F(ServiceAccountTest, AnAccountTheControllerDoesNotKnowIsJudgedByThisProcesssToken) {
  domain.Workstation(L"PC-017", L"");  // a workstation in no domain: the name alone
  ModalSession admin;
  Fill(admin, L"local-admin", L"pw", L"pw");
  admin.PressOK();
  EXPECT_TRUE(Run(admin).empty());
  EXPECT_EQ(app->serviceAccount, L"local-admin") << "the test prefix's user is an administrator";
}

TEST_F(ServiceAccountTest, WithoutTheWorkstationsDomainNothingIsStored) {
  domain.FailWkstaGetInfo(ERROR_ACCESS_DENIED);
  ModalSession admin;
  Fill(admin, L"svc-lullan", L"pw", L"pw");
  admin.Answer(IDOK).PressOK();
  EXPECT_EQ(Run(admin), std::vector<std::wstring>{L"NetWkstaGetInfo failed getting domain name"});
  EXPECT_EQ(app->serviceAccount, L"");
}

TEST_F(ServiceAccountTest, EachFieldTakesSixtyThreeCharactersAndTheDomainMustStillFit) {
  const std::wstring longest(63, L'a');
  domain.AddUser(longest).Admin();
  ModalSession admin;
  Fill(admin, longest + L"bcdef", L"pw", L"pw");
  admin.Look([&](const Controls& dialog) { EXPECT_EQ(dialog.Text(IDC_ACCOUNT_NAME), longest); })
      .Answer(IDOK)
      .PressOK()
      .Do(L"leave", [](HWND dialog) { DialogAnswerer::PressButton(dialog, IDCANCEL); });
  EXPECT_EQ(Run(admin), std::vector<std::wstring>{L"Error: the account name FENNICK\\" + longest +
                                                  L" is longer than 63 characters."});
  EXPECT_EQ(app->serviceAccount, L"");
}

TEST_F(ServiceAccountTest, TheDomainControllerIsReportedAsTheNetworkAnswers) {
  struct Case {
    NET_API_STATUS error;
    const wchar_t* text;
  };
  for (const Case& c :
       {Case{NERR_DCNotFound, L"Domain controller not found"},
        Case{ERROR_NO_SUCH_DOMAIN, L"Error 1355 trying to get domain controller.\r\nIs the network functioning?"}}) {
    domain.NoDomainController(c.error);
    DialogAnswerer boxes;
    boxes.Answer(IDOK);
    EXPECT_FALSE(setup::FindDomainController(*app, nullptr));
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].Text(), c.text);
    EXPECT_EQ(app->domainController, L"\\\\DC1") << "the name found before stays";
  }
  EXPECT_TRUE(setup::IsTokenInGroup(L"Administrators"));
  EXPECT_FALSE(setup::IsTokenInGroup(L"Guests"));
  EXPECT_FALSE(setup::IsTokenInGroup(L"No Such Group Anywhere"));
}

}  // namespace
}  // namespace lullan::test
