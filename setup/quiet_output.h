// Where setup's quiet mode puts what the interactive setup shows: each line
// goes to standard error when the process has one (redirected by whoever
// started it), else to the console of the parent process when it has one,
// and to the log file named by /log. No window is ever made for it.
//
//   QuietOutput output(switches.log);
//   QuietMessageSink sink(output);   // installed for the sink's lifetime
//   ...                              // every ui::ShowMessage is a line now
//   if (sink.restartOffered()) ...
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "handles.h"
#include "message_box.h"

namespace lullan::setup {

class QuietOutput {
 public:
  // `logPath` empty: no log file. A log that cannot be created is said on
  // the other outputs (logOpened() false).
  explicit QuietOutput(const std::wstring& logPath);
  QuietOutput(const QuietOutput&) = delete;
  QuietOutput& operator=(const QuietOutput&) = delete;

  bool logOpened() const noexcept { return !wantLog_ || static_cast<bool>(log_); }
  // One message; its own line breaks become the line's.
  void Write(std::wstring_view text) noexcept;

 private:
  unique_file log_;
  bool wantLog_ = false;
  HANDLE error_ = nullptr;  // standard error, or the parent's console; not owned when inherited
  unique_file console_;     // CONOUT$ of the parent's console, when opened here
  bool errorIsConsole_ = false;
};

// Writes every box's text to `output` and answers it as an administrator
// running setup unattended would: OK; Yes to setup's questions (keep an
// earlier version's settings, add the Start-menu entry); No to restarting
// the computer, which a deployment never does by itself.
class QuietMessageSink final : public ui::MessageSink {
 public:
  explicit QuietMessageSink(QuietOutput& output);
  ~QuietMessageSink() override;
  QuietMessageSink(const QuietMessageSink&) = delete;
  QuietMessageSink& operator=(const QuietMessageSink&) = delete;

  int Show(std::wstring_view text, UINT type) noexcept override;
  void Note(std::wstring_view text) noexcept override;

  // The removal ends by offering a restart: it ran to its end.
  bool restartOffered() const noexcept { return restartOffered_; }

 private:
  QuietOutput& output_;
  ui::MessageSink* previous_;
  bool restartOffered_ = false;
};

}  // namespace lullan::setup
