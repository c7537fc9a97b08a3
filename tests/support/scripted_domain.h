// A Windows domain as the LAN Manager calls describe it, scripted by a test:
// the browse list, the global groups, the users, the domain controller and
// the local workstation's answer.
//
//   ScriptedDomain domain;
//   domain.DomainController(L"DC1");
//   domain.AddGroups({L"Domain Admins", L"Sales", L"Staff"});
//   domain.AddComputer(L"PC-017").Nt(4, 0);
//   domain.AddComputer(L"PC-095").Win9x();
//   domain.AddUser(L"svc-lullan").Admin();
//
// Every answer is one NetApiBufferAllocate block laid out as the real calls
// lay theirs out (the records first, the strings they point to after them),
// so the code under test frees it with NetApiBufferFree as it must in
// production. Each call's arguments are recorded for assertions. Calls come
// from one thread at a time.
#pragma once

#include <windows.h>
#include <lm.h>

#include <deque>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"

namespace lullan::test {

class ScriptedDomain final : public Domain {
 public:
  // A computer of the browse list, as NetServerEnum level 101 reports it. A
  // new one is a Windows 2000 workstation.
  struct Computer {
    std::wstring name;
    DWORD platformId = PLATFORM_ID_NT;
    DWORD versionMajor = 5;  // the real field carries flags above its low four bits; Version() can put some there
    DWORD versionMinor = 0;
    DWORD type = SV_TYPE_WORKSTATION | SV_TYPE_SERVER | SV_TYPE_NT;
    std::wstring comment;

    Computer& Nt(DWORD major, DWORD minor);  // an NT workstation of that version
    Computer& Win2000() { return Nt(5, 0); }
    Computer& ServerNt(DWORD major, DWORD minor);  // an NT server that is no domain controller
    Computer& Win9x();                             // Windows 95 (Version(4, 10) for 98)
    Computer& Type(DWORD serverTypeBits);
    Computer& Version(DWORD major, DWORD minor);
    Computer& Platform(DWORD platformId);
    Computer& Comment(const std::wstring& text);
  };

  // A domain account, as NetUserGetInfo levels 0 and 11 report it.
  struct User {
    std::wstring name;
    DWORD privilege = USER_PRIV_USER;
    std::wstring fullName;
    std::wstring comment;

    User& Admin() { return Privilege(USER_PRIV_ADMIN); }
    User& Privilege(DWORD level);
    User& FullName(const std::wstring& text);
    User& Comment(const std::wstring& text);
  };

  // The domain controller NetGetAnyDCName names ("\\" is put in front when
  // missing). Until one is set the lookup fails with NERR_DCNotFound.
  ScriptedDomain& DomainController(const std::wstring& name);
  // The lookup fails with `error` (NERR_DCNotFound 2453, ERROR_NO_SUCH_DOMAIN 1355 ...).
  ScriptedDomain& NoDomainController(NET_API_STATUS error = NERR_DCNotFound);

  // Global groups, listed by NetQueryDisplayInformation level 3 in this order.
  ScriptedDomain& AddGroup(const std::wstring& name, const std::wstring& comment = L"");
  ScriptedDomain& AddGroups(std::initializer_list<const wchar_t*> names);

  // Computers of the browse list in the order given; a name added twice is
  // listed twice, as a browse list can.
  Computer& AddComputer(const std::wstring& name);

  // The domain's computer accounts, listed by NetQueryDisplayInformation
  // level 2 in this order: the account name as the domain keeps it ("PC-017$")
  // and its flags (a workstation's, a domain controller's
  // UF_SERVER_TRUST_ACCOUNT, another domain's UF_INTERDOMAIN_TRUST_ACCOUNT).
  ScriptedDomain& AddComputerAccount(const std::wstring& accountName, DWORD flags = UF_WORKSTATION_TRUST_ACCOUNT);

  // Users are matched ignoring case; an unknown one gets NERR_UserNotFound.
  User& AddUser(const std::wstring& name);

  // The local workstation's answer to NetWkstaGetInfo level 100. By default
  // "WORKSTATION" in the domain "FENNICK"; an empty domain is a workstation
  // that belongs to none.
  ScriptedDomain& Workstation(const std::wstring& computerName, const std::wstring& domain);

  // Scripted failures, in force for every later call until set back to
  // NERR_Success. From its first call on, ServerEnum hands back the first
  // `entries` computers with the status: ERROR_MORE_DATA with entries is a
  // browse list too long for one buffer; 2320, 6118 ... come with none;
  // NERR_Success with none is an empty browse list.
  ScriptedDomain& FailServerEnum(NET_API_STATUS status, DWORD entries = 0);
  ScriptedDomain& FailDisplayInformation(NET_API_STATUS status);
  ScriptedDomain& FailUserGetInfo(NET_API_STATUS status);
  ScriptedDomain& FailWkstaGetInfo(NET_API_STATUS status);

  // The seam.
  NET_API_STATUS ServerEnum(LPCWSTR serverName, DWORD level, LPBYTE* buffer, DWORD preferredMaximumLength,
                            LPDWORD entriesRead, LPDWORD totalEntries, DWORD serverType, LPCWSTR domain,
                            LPDWORD resumeHandle) override;
  NET_API_STATUS GetAnyDCName(LPCWSTR serverName, LPCWSTR domainName, LPBYTE* buffer) override;
  // Answers for whatever server is named (the call records which). Pages as
  // the domain controller does: at most min(requested, 100) entries,
  // and no more than fit the preferred size (but at least one); ERROR_MORE_DATA
  // while entries remain. Each entry's next index is an opaque number that only
  // this domain hands out: a caller must continue from the last entry's. Any
  // other index but 0 is refused with ERROR_INVALID_PARAMETER.
  NET_API_STATUS QueryDisplayInformation(LPCWSTR serverName, DWORD level, DWORD index, DWORD entriesRequested,
                                         DWORD preferredMaximumLength, LPDWORD returnedEntryCount,
                                         PVOID* sortedBuffer) override;
  NET_API_STATUS UserGetInfo(LPCWSTR serverName, LPCWSTR userName, DWORD level, LPBYTE* buffer) override;
  NET_API_STATUS WkstaGetInfo(LPWSTR serverName, DWORD level, LPBYTE* buffer) override;

  // What the code asked; names are empty where it passed none.
  struct ServerEnumCall {
    std::wstring server;
    DWORD level;
    DWORD preferredMaximumLength;
    DWORD serverType;
    std::wstring domain;
    bool resumeHandle;  // whether one was passed
  };
  struct DcCall {
    std::wstring server;
    std::wstring domain;
  };
  struct DisplayCall {
    std::wstring server;
    DWORD level;
    DWORD index;
    DWORD requested;
    DWORD preferredMaximumLength;
    NET_API_STATUS status;  // what the call answered
    DWORD returned;
  };
  struct UserCall {
    std::wstring server;
    std::wstring user;
    DWORD level;
  };
  std::vector<ServerEnumCall> serverEnums;
  std::vector<DcCall> dcQueries;
  std::vector<DisplayCall> displayQueries;
  std::vector<UserCall> userQueries;
  std::vector<std::wstring> workstationQueries;  // the server names asked

 private:
  struct Group {
    std::wstring name;
    std::wstring comment;
  };
  struct Account {
    std::wstring name;
    DWORD flags;
  };
  // One page of a level-3 (groups) or level-2 (computer accounts) listing.
  NET_API_STATUS ListPage(DWORD level, DWORD index, DWORD entriesRequested, DWORD preferredMaximumLength,
                          LPDWORD returnedEntryCount, PVOID* sortedBuffer) const;

  std::wstring dcName_;
  NET_API_STATUS dcError_ = NERR_DCNotFound;
  std::vector<Group> groups_;
  std::vector<Account> accounts_;
  std::deque<Computer> computers_;  // a deque keeps the references AddComputer hands out valid
  std::deque<User> users_;
  std::wstring workstationName_ = L"WORKSTATION";
  std::wstring workstationDomain_ = L"FENNICK";
  NET_API_STATUS serverEnumStatus_ = NERR_Success;
  std::optional<DWORD> serverEnumEntries_;  // all until FailServerEnum
  NET_API_STATUS displayStatus_ = NERR_Success;
  NET_API_STATUS userStatus_ = NERR_Success;
  NET_API_STATUS workstationStatus_ = NERR_Success;
};

}  // namespace lullan::test
