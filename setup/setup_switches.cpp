#include "setup_switches.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "handles.h"
#include "text_format.h"

namespace lullan::setup {

const wchar_t kSetupUsage[] =
    L"Usage:\n"
    L"  setup.exe                 the setup and configuration dialog\n"
    L"  setup.exe /u              remove Lullan, with its dialogs\n"
    L"  setup.exe /quiet /workstation [/dir <path>] [/account <domain\\user>\n"
    L"            (/password <text> | /password-file <path>)] [/log <path>]\n"
    L"  setup.exe /quiet /server [/dir <path>] [/log <path>]\n"
    L"  setup.exe /quiet /u [/log <path>]\n"
    L"Exit code: 0 done, 3010 done but a restart is needed, otherwise a Windows error code.";

namespace {

std::vector<std::wstring> Words(std::wstring_view commandLine) {
  std::vector<std::wstring> words;
  const std::wstring line(commandLine);
  int count = 0;
  unique_local_memory argv(::CommandLineToArgvW(line.c_str(), &count));
  for (int i = 0; argv && i < count; ++i) words.emplace_back(as<LPWSTR>(argv)[i]);
  return words;
}

// The switch's name, lower-cased, or empty when `word` is no switch.
std::wstring SwitchName(const std::wstring& word) {
  if (word.size() < 2 || (word[0] != L'/' && word[0] != L'-')) return {};
  std::wstring name = word.substr(1);
  ::CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
  return name;
}

}  // namespace

bool IsQuietCommandLine(std::wstring_view commandLine) {
  std::vector<std::wstring> words = Words(commandLine);
  for (size_t i = 1; i < words.size(); ++i) {
    if (SwitchName(words[i]) == L"quiet") return true;
  }
  return false;
}

ParsedSwitches ParseSetupSwitches(std::wstring_view commandLine) {
  ParsedSwitches parsed;
  SetupSwitches& s = parsed.switches;
  std::vector<std::wstring> words = Words(commandLine);
  bool workstation = false;
  // The first fault is the one told; the rest is still read for /log.
  auto refuse = [&parsed](std::wstring why) {
    if (parsed.error.empty()) parsed.error = std::move(why);
  };
  for (size_t i = 1; i < words.size(); ++i) {
    const std::wstring name = SwitchName(words[i]);
    // Switches that take the next word as their value.
    std::wstring* value = name == L"dir"             ? &s.dir
                          : name == L"account"       ? &s.account
                          : name == L"password-file" ? &s.passwordFile
                          : name == L"log"           ? &s.log
                                                     : nullptr;
    if (value || name == L"password") {
      // A path or an account never begins with "/": that is the next switch
      // (a password may).
      if (i + 1 >= words.size() || words[i + 1].empty() || (value && words[i + 1][0] == L'/')) {
        refuse(FormatText(L"%s needs a value.", words[i].c_str()));
      } else if (value) {
        *value = words[++i];
      } else {
        s.password = words[++i];
      }
    } else if (name == L"quiet") {
      s.quiet = true;
    } else if (name == L"u" || name == L"uninstall" || name == L"r" || name == L"remove") {
      s.uninstall = true;
    } else if (name == L"workstation") {
      workstation = true;
    } else if (name == L"server") {
      s.server = true;
    } else {
      refuse(FormatText(L"Unknown switch %s.", words[i].c_str()));
    }
  }
  if (!parsed.error.empty()) return parsed;

  if (s.uninstall && (workstation || s.server || !s.dir.empty() || !s.account.empty()))
    parsed.error = L"/u removes Lullan: it takes no installation type, directory or account.";
  else if (!s.uninstall && workstation == s.server)
    parsed.error = L"Say what to install: /workstation or /server.";
  else if (s.server && !s.account.empty())
    parsed.error = L"/account names the configuration monitor's account, which only a workstation has.";
  else if (s.password && !s.passwordFile.empty())
    parsed.error = L"Give the password once: /password or /password-file.";
  else if (s.account.empty() && (s.password || !s.passwordFile.empty()))
    parsed.error = L"A password needs /account.";
  else if (!s.account.empty() && !s.password && s.passwordFile.empty())
    parsed.error = L"/account needs /password or /password-file.";
  return parsed;
}

}  // namespace lullan::setup
