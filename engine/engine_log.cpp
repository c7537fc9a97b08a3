#include "engine_log.h"

#include <vector>

#include "event_ids.h"
#include "log_file.h"
#include "platform.h"
#include "product.h"

namespace lullan::engine {

namespace {
std::wstring FileIn(const std::wstring& folder) {
  std::wstring path = folder;
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  return path + kLogFileName;
}
}  // namespace

bool EngineLog::OpenIn(const std::wstring& folder, std::wstring* whyNot) {
  std::wstring path = FileIn(folder);
  if (file_ && ::_wcsicmp(path.c_str(), path_.c_str()) == 0) return true;
  unique_file file;
  std::wstring refused = OpenLogFile(path, LogOpening::kAppend, &file);
  if (!refused.empty()) {
    *whyNot = std::move(refused);
    return false;
  }
  LARGE_INTEGER size{};
  ::GetFileSizeEx(file.get(), &size);
  file_ = std::move(file);
  path_ = std::move(path);
  size_ = static_cast<unsigned long long>(size.QuadPart);
  return true;
}

void EngineLog::Configure(const EngineConfig& config) {
  if (!config.useLogFile) {
    file_.reset();
    path_.clear();
    return;
  }
  std::wstring why;
  const std::wstring& wanted = config.logDir.empty() ? config.installDir : config.logDir;
  if (!wanted.empty() && OpenIn(wanted, &why)) return;
  if (wanted.empty()) why = L"no folder is configured";
  // The installation directory takes it, when it is not the folder refused.
  std::wstring fallbackWhy;
  bool fallback = !config.installDir.empty() && config.installDir != wanted && OpenIn(config.installDir, &fallbackWhy);
  Event(kEventLogRefused,
        {wanted.empty() ? std::wstring(L"(none)") : wanted, why, fallback ? path_ : std::wstring(L"nowhere")});
  if (!fallback) {
    file_.reset();
    path_.clear();
    return;
  }
  Line(L"Error: can't open log file in \"" + wanted + L"\": " + why + L"; logging to \"" + config.installDir +
       L"\" instead");
}

void EngineLog::Line(const std::wstring& text) {
  if (!file_) return;
  SYSTEMTIME now;
  platform().clock->GetLocalTime(&now);
  std::string line = FormatLogLine(now, text);
  if (size_ + line.size() > kLargestLog) {
    LARGE_INTEGER start{};
    if (::SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN) && ::SetEndOfFile(file_.get())) {
      size_ = 0;
      std::string note = FormatLogLine(now, L"The log had grown beyond 4 MiB and was emptied.");
      if (WriteLogLine(file_.get(), note)) size_ += note.size() + 1;
    }
  }
  if (WriteLogLine(file_.get(), line)) size_ += line.size() + 1;  // the CR
}

void EngineLog::Event(DWORD eventId, std::initializer_list<std::wstring> strings) {
  EventLog& eventLog = *platform().eventLog;
  unique_event_source source(eventLog.RegisterSource(nullptr, kEventSource));
  if (!source) return;
  std::vector<LPCWSTR> texts;
  for (const std::wstring& s : strings) texts.push_back(s.c_str());
  eventLog.Report(source.get(), EventTypeFor(eventId), 0, eventId, nullptr, static_cast<WORD>(texts.size()), 0,
                  texts.empty() ? nullptr : texts.data(), nullptr);
}

void EngineLog::Record(DWORD eventId, std::initializer_list<std::wstring> strings, const std::wstring& line) {
  Event(eventId, strings);
  Line(line);
}

}  // namespace lullan::engine
