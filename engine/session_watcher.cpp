#include "session_watcher.h"

#include <algorithm>

#include "platform.h"

namespace lullan::engine {

namespace {

struct Listed {
  DWORD id;
  bool connected;
};

// The sessions a user may be logged on to: active and disconnected ones.
// The console session stands in when the system lists none.
std::vector<Listed> ListSessions() {
  std::vector<Listed> listed;
  Sessions& sessions = *platform().sessions;
  PWTS_SESSION_INFOW raw = nullptr;
  DWORD count = 0;
  if (sessions.EnumerateSessions(&raw, &count)) {
    unique_session_list list(raw);
    for (DWORD i = 0; list && i < count; ++i) {
      const WTS_SESSION_INFOW& info = list.get()[i];
      if (info.State == WTSActive || info.State == WTSDisconnected)
        listed.push_back(Listed{info.SessionId, info.State == WTSActive});
    }
  }
  if (listed.empty()) {
    DWORD console = sessions.GetActiveConsoleSessionId();
    if (console != 0xFFFFFFFF) listed.push_back(Listed{console, true});
  }
  return listed;
}

std::vector<BYTE> SidBytes(PSID sid) {
  const BYTE* bytes = static_cast<const BYTE*>(sid);
  return std::vector<BYTE>(bytes, bytes + ::GetLengthSid(sid));
}

// The name of an account, without its domain; empty when it has none.
std::wstring AccountName(PSID sid) {
  wchar_t name[256];
  wchar_t domain[256];
  DWORD nameLength = ARRAYSIZE(name);
  DWORD domainLength = ARRAYSIZE(domain);
  SID_NAME_USE use;
  if (!::LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use)) return {};
  return name;
}

// A token's information of `kind`, in a buffer of its own.
std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
  DWORD size = 0;
  ::GetTokenInformation(token, kind, nullptr, 0, &size);
  if (size == 0 || size > 1 << 20) return {};
  std::vector<BYTE> buffer(size);
  if (!::GetTokenInformation(token, kind, buffer.data(), size, &size)) return {};
  return buffer;
}

}  // namespace

std::vector<BYTE> ReadLogonSid(HANDLE token) {
  std::vector<BYTE> groups = TokenInformation(token, TokenGroups);
  if (!groups.empty()) {
    const TOKEN_GROUPS* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
    for (DWORD i = 0; i < list->GroupCount; ++i) {
      if (list->Groups[i].Attributes & SE_GROUP_LOGON_ID) return SidBytes(list->Groups[i].Sid);
    }
  }
  std::vector<BYTE> user = TokenInformation(token, TokenUser);
  if (user.empty()) return {};
  return SidBytes(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
}

bool ReadTokenIdentity(HANDLE token, TokenIdentity* identity) {
  std::vector<BYTE> user = TokenInformation(token, TokenUser);
  if (user.empty()) return false;
  identity->user = AccountName(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
  identity->logonSid = ReadLogonSid(token);
  std::vector<BYTE> groups = TokenInformation(token, TokenGroups);
  if (groups.empty()) return true;
  const TOKEN_GROUPS* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
  for (DWORD i = 0; i < list->GroupCount; ++i) {
    const SID_AND_ATTRIBUTES& group = list->Groups[i];
    // The logon SID names no group, and a deny-only group is no membership.
    if ((group.Attributes & SE_GROUP_LOGON_ID) || !(group.Attributes & SE_GROUP_ENABLED)) continue;
    std::wstring name = AccountName(group.Sid);
    if (!name.empty()) identity->groups.push_back(std::move(name));
  }
  return true;
}

WatchedSession* SessionWatcher::Find(DWORD id) {
  for (auto& session : sessions_) {
    if (session->id == id) return session.get();
  }
  return nullptr;
}

SessionWatcher::Changes SessionWatcher::Rescan(Tick now) {
  Changes changes;
  std::vector<Listed> listed = ListSessions();
  std::vector<std::unique_ptr<WatchedSession>> kept;
  for (const Listed& entry : listed) {
    unique_handle token;
    if (!platform().sessions->QueryUserToken(entry.id, token.put())) continue;  // nobody logged on to it
    std::vector<BYTE> logonSid = ReadLogonSid(token.get());
    if (logonSid.empty()) continue;

    auto known = std::find_if(sessions_.begin(), sessions_.end(),
                              [&](const std::unique_ptr<WatchedSession>& s) { return s && s->id == entry.id; });
    // The same logon as before (its logon SID tells): kept with all the engine knows of it.
    if (known != sessions_.end() && (*known)->logonSid == logonSid) {
      if ((*known)->connected && !entry.connected) (*known)->disconnectedAt = now;
      (*known)->connected = entry.connected;
      kept.push_back(std::move(*known));
      continue;
    }
    // A new logon: its user and groups are looked up now, once.
    TokenIdentity identity;
    if (!ReadTokenIdentity(token.get(), &identity)) continue;
    auto session = std::make_unique<WatchedSession>();
    session->id = entry.id;
    session->connected = entry.connected;
    session->user = std::move(identity.user);
    session->groups = std::move(identity.groups);
    session->logonSid = std::move(logonSid);
    session->token = std::move(token);
    session->seen = now;
    session->disconnectedAt = now;  // seen disconnected first: idle from now at the latest
    session->lastInput = session->lastKeyInput = now;
    changes.started.push_back(entry.id);
    kept.push_back(std::move(session));
  }
  for (auto& session : sessions_) {
    if (session) changes.ended.push_back(std::move(session));
  }
  sessions_ = std::move(kept);
  return changes;
}

}  // namespace lullan::engine
