#include "quiet_output.h"

#include "message_box.h"
#include "text_format.h"
#include "uninstall.h"

namespace lullan::setup {

namespace {

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return ::GetConsoleMode(handle, &mode) != FALSE;
}

void WriteUtf8(HANDLE file, std::wstring_view text) {
  const std::string bytes = Narrow(text, CP_UTF8);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

QuietOutput::QuietOutput(const std::wstring& logPath) : wantLog_(!logPath.empty()) {
  if (wantLog_) {
    log_.reset(::CreateFileW(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  HANDLE inherited = ::GetStdHandle(STD_ERROR_HANDLE);
  if (traits::IsKernelHandle(inherited)) {
    error_ = inherited;
  } else if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
    console_.reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    error_ = console_ ? console_.get() : nullptr;
  }
  errorIsConsole_ = error_ && IsConsole(error_);
  if (!logOpened()) {
    Write(FormatText(L"Can't create the log file %s (error %lu).", logPath.c_str(),
                     static_cast<unsigned long>(::GetLastError())));
  }
}

void QuietOutput::Write(std::wstring_view text) noexcept {
  try {
    std::wstring line = FormatText(L"%s: ", ui::ProgramTitle().c_str());
    for (wchar_t c : text) {
      if (c == L'\n')
        line += L"\r\n  ";
      else if (c != L'\r')
        line += c;
    }
    line += L"\r\n";
    if (errorIsConsole_) {
      DWORD written = 0;
      ::WriteConsoleW(error_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    } else if (error_) {
      WriteUtf8(error_, line);
    }
    if (log_) WriteUtf8(log_.get(), line);
  } catch (...) {
    // Out of memory: the line is lost, the run goes on.
  }
}

QuietMessageSink::QuietMessageSink(QuietOutput& output) : output_(output), previous_(ui::SetMessageSink(this)) {}

QuietMessageSink::~QuietMessageSink() { ui::SetMessageSink(previous_); }

int QuietMessageSink::Show(std::wstring_view text, UINT type) noexcept {
  output_.Write(text);
  if (text == RemovalRestartQuestion()) {
    restartOffered_ = true;
    return IDNO;
  }
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    case MB_OKCANCEL:
      return IDOK;
    case MB_RETRYCANCEL:  // retrying alone would ask again for ever
      return IDCANCEL;
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    default:
      return IDOK;
  }
}

void QuietMessageSink::Note(std::wstring_view text) noexcept { output_.Write(text); }

}  // namespace lullan::setup
