// setup's switches for an unattended installation or removal, as a
// deployment tool or a logon script runs it:
//
//   setup.exe /quiet /workstation [/dir <path>] [/account <domain\user>
//             (/password <text> | /password-file <path>)] [/log <path>]
//   setup.exe /quiet /server [/dir <path>] [/log <path>]
//   setup.exe /quiet /u [/log <path>]
//
// Switches begin with "/" or "-", in any case. A command line without
// /quiet is the interactive setup's, read as it always was (command_line.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lullan::setup {

struct SetupSwitches {
  bool quiet = false;
  bool uninstall = false;
  bool server = false;  // /server; /workstation otherwise
  std::wstring dir;     // empty: the default installation directory
  std::wstring account;
  std::optional<std::wstring> password;
  std::wstring passwordFile;
  std::wstring log;  // empty: standard error only
};

struct ParsedSwitches {
  SetupSwitches switches;
  std::wstring error;  // why the command line is refused (the usage follows it); empty when it is not
};

// Reads the whole command line, program path first.
ParsedSwitches ParseSetupSwitches(std::wstring_view commandLine);

// True when the command line asks for the quiet mode at all.
bool IsQuietCommandLine(std::wstring_view commandLine);

// What a refused command line is answered with.
extern const wchar_t kSetupUsage[];

}  // namespace lullan::setup
