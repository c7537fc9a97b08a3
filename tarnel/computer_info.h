// The console's record of one listed computer, CComputerInfo, and the list
// of records the main dialog keeps.
//
// Records belong to the user-interface thread: only it creates, changes and
// destroys them. The scan threads look records up by name (FindComputer)
// and read nothing but the name, which never changes; what they learn about
// a computer they send to the dialog (scan_reports.h), which stores it.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <string_view>

#include "critical_section.h"

namespace lullan::tarnel {

// A computer name as lookups compare it: in one case, whatever case it came in.
std::wstring FoldedName(std::wstring_view name);

// `text` cut to at most `maxChars` characters, never between the two halves
// of a surrogate pair. Texts from the network and from other computers'
// registries may be of any length; every field holds a bounded one.
std::wstring CutToField(std::wstring_view text, size_t maxChars);

template <size_t MaxChars>
class FieldText {
 public:
  static constexpr size_t kMaxChars = MaxChars;
  FieldText& operator=(std::wstring_view text) {
    text_ = CutToField(text, MaxChars);
    return *this;
  }
  const std::wstring& str() const noexcept { return text_; }
  const wchar_t* c_str() const noexcept { return text_.c_str(); }
  bool empty() const noexcept { return text_.empty(); }

 private:
  std::wstring text_;
};

// The state of the main service "Lullan" on a computer, as QueryServiceState
// finds it (service_state.h).
enum class ServiceState : int {
  NotReachable = 0,  // the service manager or the service could not be opened
  QueryFailed = 1,   // opened, but its status query failed
  Running = 2,       // start pending or running
  Paused = 3,        // pause pending or paused
  Stopped = 4,       // stopped or stop pending
  Other = 5,         // any other state; also a new record's
};

class CComputerInfo {
 public:
  static constexpr size_t kNameChars = 15;
  static constexpr size_t kUserChars = 22;
  static constexpr size_t kProfileChars = 63;
  static constexpr size_t kOsTextChars = 7;

  struct DailyLogoff {
    WORD hour = 0;
    WORD minute = 0;
    bool set = false;  // set by a probe that read the time; never cleared
  };

  explicit CComputerInfo(std::wstring_view computerName) : name(CutToField(computerName, kNameChars)) {}
  virtual ~CComputerInfo() = default;
  CComputerInfo(const CComputerInfo&) = delete;
  CComputerInfo& operator=(const CComputerInfo&) = delete;

  DWORD idleTime = 0;  // "sims$", shown in "Idle For"
  DailyLogoff dailyLogoff;
  ServiceState stateCode = ServiceState::Other;
  const std::wstring name;  // as enumerated, cut to 15 characters; the record's key
  FieldText<kUserChars> currentUser;
  FieldText<kUserChars> previousUser;
  FieldText<kProfileChars> profile;
  FieldText<kOsTextChars> osText;
  bool noService = false;  // no main service answered: a candidate for the purge
  // The state code came from the computer's service: its row's icon shows it.
  bool serviceAnswered = false;
  // What the computer's row shows in each column but the name's (the list
  // asks for it as it paints). A cell changes when the row is told, which
  // is not always when the record does: a logoff empties the current user's
  // cell, and the previous user's waits for the next probe.
  static constexpr int kCells = 7;
  std::array<std::wstring, kCells> cells;
};

// The records, in the order they were added. Lookups may come from any
// thread; each takes the record-list lock for its own duration.
class CComputerList {
 public:
  CComputerList() = default;
  CComputerList(const CComputerList&) = delete;
  CComputerList& operator=(const CComputerList&) = delete;

  // The first record whose name equals `name` without regard to case, or null.
  CComputerInfo* FindComputer(std::wstring_view name);
  // A new record at the end of the list (user-interface thread only).
  CComputerInfo& AddComputer(std::wstring_view name);
  // Destroys one record, or all of them (user-interface thread only).
  void Remove(const CComputerInfo& record);
  void Clear();

  size_t Count();
  // Visits every record in list order (user-interface thread only).
  void ForEach(const std::function<void(CComputerInfo&)>& visit);

 private:
  CriticalSection lock_;  // the record-list lock
  std::list<CComputerInfo> records_;
  // The records by folded name, so that neither a lookup nor a removal in a
  // domain of thousands of computers goes through them one by one.
  std::map<std::wstring, std::list<CComputerInfo>::iterator> byName_;
};

}  // namespace lullan::tarnel
