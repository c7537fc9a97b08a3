#include "notification_page.h"

#include <commdlg.h>
#include <mmsystem.h>

#include <initializer_list>
#include <utility>

#include "local_path.h"
#include "own_thread.h"
#include "resource.h"
#include "text_format.h"
#include "tuning_page.h"  // LeadingNumber

namespace lullan::config {

namespace {
constexpr wchar_t kOutOfRangeFormat[] = L"Out of range; must be between %d and %d seconds";
constexpr wchar_t kCantFindFileFormat[] = L"Can't find file %s";
constexpr wchar_t kCantPlayFormat[] = L"Can't play file %s: only a file on this computer's own drives can be played.";
constexpr wchar_t kSelectFileTitle[] = L"Select file";
// One filter, its pattern after the first null; the literal's own terminator
// is the second null that ends the list.
constexpr wchar_t kWaveFilesFilter[] = L"Wave files (*.wav)\0*.wav\0";
constexpr wchar_t kWaveExtension[] = L"wav";

// Posted by an edit that lost the focus (wParam: the edit), so that its check
// runs once the focus has settled, outside the focus change itself.
constexpr UINT kCheckLeftEdit = WM_APP + 1;
// Posted when the page is made (wParam: the control to start on): the sheet
// puts the focus on a new page's first control after the page is made.
constexpr UINT kStartOn = WM_APP + 2;

// A path names a file when something that is not a folder exists there.
bool FileExists(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Holds a flag up for as long as it lives.
class [[nodiscard]] Raised {
 public:
  explicit Raised(bool& flag) noexcept : flag_(flag), was_(std::exchange(flag, true)) {}
  ~Raised() { flag_ = was_; }
  Raised(const Raised&) = delete;
  Raised& operator=(const Raised&) = delete;

 private:
  bool& flag_;
  bool was_;
};
}  // namespace

CNotifyDlg::CNotifyDlg(ConfigHost& host, Target target) : CConfigPage(IDD_NOTIFICATION_PAGE, host, std::move(target)) {}

bool CNotifyDlg::OnInitPage() {
  wavFile_.clear();
  // Enabled, the image's white becomes the button's face and its dark grey
  // the button's shadow. Disabled, the button embosses what is not white.
  HINSTANCE module = ::GetModuleHandleW(nullptr);
  playImage_.reset(static_cast<HBITMAP>(
      ::LoadImageW(module, MAKEINTRESOURCEW(IDB_PLAY), IMAGE_BITMAP, 0, 0, LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS)));
  disabledPlayImage_.reset(
      static_cast<HBITMAP>(::LoadImageW(module, MAKEINTRESOURCEW(IDB_PLAY), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));

  const Setting& customMessage = SettingOf(kCustomMessage);
  const Setting& wavFile = SettingOf(kWavFile);
  // Nothing longer than is stored can be typed or pasted.
  LimitText(IDC_NOTIFY_CUSTOM_MESSAGE, customMessage.maxChars);
  LimitText(IDC_NOTIFY_WAV_FILE, wavFile.maxChars);

  if (!keyPath().empty()) {
    if (ConfigKey key = OpenForReading(ReadMode::CreateThenReadIfExisting)) {
      useCountdown_ = key.ReadFlag(SettingOf(kUseCancelDlg));
      countdown_ = key.ReadNumber(SettingOf(kCountdownSeconds));  // 10 unless 1 to 120
      customMessage_ = key.ReadText(customMessage);
      wavFile_ = key.ReadText(wavFile);
      // The console's copy of a machine holds what the machine's registry
      // held: a path there names the machine's files, not this one's.
      wavFileFromMachine_ = !IsSetup() && !target().IsProfile();
      userCancel_ = key.ReadFlag(SettingOf(kEnableUserCancel));
    }
  }

  SetItemNumber(IDC_NOTIFY_COUNTDOWN_SECONDS, countdown_);
  SetItemText(IDC_NOTIFY_CUSTOM_MESSAGE, customMessage_);
  CheckButton(IDC_NOTIFY_USER_CANCEL, userCancel_);
  SetItemText(IDC_NOTIFY_WAV_FILE, wavFile_);
  ShowCountdown(useCountdown_);
  EnablePlay();
  Post(kStartOn, useCountdown_ ? IDC_NOTIFY_USE_COUNTDOWN : IDC_NOTIFY_WAV_FILE);
  return true;
}

void CNotifyDlg::ShowCountdown(bool on) {
  useCountdown_ = on;
  CheckButton(IDC_NOTIFY_USE_COUNTDOWN, on);
  for (unsigned id : {IDC_NOTIFY_COUNTDOWN_SECONDS, IDC_NOTIFY_CUSTOM_MESSAGE, IDC_NOTIFY_USER_CANCEL}) {
    EnableItem(id, on);
  }
}

bool CNotifyDlg::OnButtonClicked(unsigned id, HWND button) {
  switch (id) {
    case IDC_NOTIFY_USE_COUNTDOWN:
      ShowCountdown(IsButtonChecked(IDC_NOTIFY_USE_COUNTDOWN));
      if (useCountdown_) {
        // An edit emptied earlier would turn the countdown off again as soon as it was left.
        if (GetItemText(IDC_NOTIFY_COUNTDOWN_SECONDS).empty()) {
          SetItemNumber(IDC_NOTIFY_COUNTDOWN_SECONDS, SettingOf(kCountdownSeconds).absentNumber);
        }
        SetFocusTo(IDC_NOTIFY_COUNTDOWN_SECONDS);
        SelectAllText(IDC_NOTIFY_COUNTDOWN_SECONDS);
      } else {
        SetFocusTo(IDC_NOTIFY_WAV_FILE);
      }
      return true;
    case IDC_NOTIFY_BROWSE:
      ChooseWavFile();
      return true;
    case IDC_NOTIFY_PLAY:
      PlayWavFile();
      return true;
    default:
      return CConfigPage::OnButtonClicked(id, button);
  }
}

void CNotifyDlg::ChooseWavFile() {
  wchar_t path[MAX_PATH] = {};
  OPENFILENAMEW choice{};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = SheetWindow();
  choice.lpstrFilter = kWaveFilesFilter;
  choice.nFilterIndex = 1;
  choice.lpstrFile = path;
  choice.nMaxFile = ARRAYSIZE(path);
  choice.lpstrTitle = kSelectFileTitle;
  choice.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  choice.lpstrDefExt = kWaveExtension;
  bool chosen = false;
  ui::RunOnOwnThread([&] { chosen = ::GetOpenFileNameW(&choice) != FALSE; }, ui::Apartment::SingleThreaded);
  if (!chosen) return;  // cancelled: nothing changes
  ShowWavFile(path);    // taken as chosen
}

void CNotifyDlg::ShowWavFile(std::wstring path) {
  SetItemText(IDC_NOTIFY_WAV_FILE, path);
  wavFile_ = std::move(path);
  wavFileFromMachine_ = false;  // the administrator's own choice
  EnablePlay();
}

void CNotifyDlg::EnablePlay() {
  bool enable = !wavFile_.empty();
  HBITMAP image = enable ? playImage_.get() : disabledPlayImage_.get();
  SendItem(IDC_NOTIFY_PLAY, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
  EnableItem(IDC_NOTIFY_PLAY, enable);
}

void CNotifyDlg::PlayWavFile() const {
  if (wavFile_.empty()) return;
  // A machine's path to another server, or to a device, is not opened: the
  // console would contact that server as the administrator running it.
  if (wavFileFromMachine_ && !IsLocalFilePath(wavFile_)) {
    Message(FormatText(kCantPlayFormat, wavFile_.c_str()));
    return;
  }
  // Played while the administrator goes on; nothing waits for the sound.
  ::sndPlaySoundW(wavFile_.c_str(), SND_ASYNC);
}

bool CNotifyDlg::OnCommand(unsigned code, unsigned id, HWND control) {
  if (code == EN_KILLFOCUS && (id == IDC_NOTIFY_COUNTDOWN_SECONDS || id == IDC_NOTIFY_WAV_FILE)) {
    if (!checking_) Post(kCheckLeftEdit, id);
    return true;
  }
  return CConfigPage::OnCommand(code, id, control);
}

bool CNotifyDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR&) {
  switch (message) {
    case kCheckLeftEdit:
      CheckAfterFocusLoss(static_cast<unsigned>(wParam));
      return true;
    case kStartOn:
      // Unless the user is on the tabs, which brought the page up.
      if (HWND focus = ::GetFocus(); IsVisible() && (!focus || ::IsChild(window(), focus))) {
        SetFocusTo(static_cast<unsigned>(wParam));
      }
      return true;
    default:
      return false;
  }
}

void CNotifyDlg::CheckAfterFocusLoss(unsigned id) {
  HWND edit = Item(id);
  HWND focus = ::GetFocus();
  HWND sheet = SheetWindow();
  // Nothing to say to a user who went back into the edit, who is cancelling,
  // who is choosing a file instead of typing it, or who left the sheet for
  // another window or a box (leaving the page and OK check again; a page
  // left is hidden). A disabled edit belongs to a countdown that is off.
  if (!IsVisible() || !::IsWindowEnabled(edit) || !focus || focus == edit || !::IsChild(sheet, focus) ||
      focus == ::GetDlgItem(sheet, IDCANCEL) || (id == IDC_NOTIFY_WAV_FILE && focus == Item(IDC_NOTIFY_BROWSE))) {
    return;
  }
  if (id == IDC_NOTIFY_COUNTDOWN_SECONDS) {
    TakeCountdown(true);
  } else {
    TakeWavFile();
  }
}

bool CNotifyDlg::TakeCountdown(bool onFocusLoss) {
  std::wstring text = GetItemText(IDC_NOTIFY_COUNTDOWN_SECONDS);
  if (text.empty()) {
    // No seconds, no countdown. The focus may be on a control about to be
    // disabled; a click on the sheet's buttons must still arrive.
    HWND focus = ::GetFocus();
    bool inPage = focus && ::IsChild(window(), focus);
    countdown_ = 0;
    ShowCountdown(false);
    if (onFocusLoss && inPage) {
      Raised moving(checking_);
      SetFocusTo(IDC_NOTIFY_WAV_FILE);
    }
    return true;
  }
  DWORD seconds = LeadingNumber(text);
  if (seconds >= kMinCountdownSeconds && seconds <= kMaxCountdownSeconds) {
    countdown_ = seconds;
    return true;
  }
  // A countdown that is off keeps the last seconds taken.
  if (!useCountdown_) return true;
  return Refuse(IDC_NOTIFY_COUNTDOWN_SECONDS, FormatText(kOutOfRangeFormat, static_cast<int>(kMinCountdownSeconds),
                                                         static_cast<int>(kMaxCountdownSeconds)));
}

bool CNotifyDlg::TakeWavFile() {
  std::wstring text = GetItemText(IDC_NOTIFY_WAV_FILE);
  // A path read or chosen is taken as it stands: the workstation a
  // configuration is for may have files this machine lacks.
  if (text == wavFile_) return true;
  if (!text.empty() && !FileExists(text)) {
    return Refuse(IDC_NOTIFY_WAV_FILE, FormatText(kCantFindFileFormat, text.c_str()));
  }
  ShowWavFile(std::move(text));
  return true;
}

bool CNotifyDlg::Refuse(unsigned id, const std::wstring& message) {
  // The box takes the focus and giving it back moves it again: neither is a
  // user leaving an edit.
  Raised refusing(checking_);
  Message(message);
  SetFocusTo(id);
  SelectAllText(id);
  return false;
}

bool CNotifyDlg::OnKillActive() {
  if (!TakeCountdown(false) || !TakeWavFile()) return false;
  customMessage_ = GetItemText(IDC_NOTIFY_CUSTOM_MESSAGE);
  userCancel_ = IsButtonChecked(IDC_NOTIFY_USER_CANCEL);
  return true;
}

bool CNotifyDlg::OnApply() {
  // The members hold the controls: the page was left, or OK asked it first.
  if (keyPath().empty()) {
    Message(kRegistryKeyNameMissing);
    return true;
  }
  ConfigKey key = OpenForWriting(WriteMode::CreateThenWriteIfExisting);
  if (!key) return true;  // could not be opened (reported), or had to be created: nothing is written

  const Setting& customMessage = SettingOf(kCustomMessage);
  const Setting& wavFile = SettingOf(kWavFile);
  const Setting& countdown = SettingOf(kCountdownSeconds);
  const Setting& useCountdown = SettingOf(kUseCancelDlg);
  const Setting& playSound = SettingOf(kPlaySound);
  const Setting& userCancel = SettingOf(kEnableUserCancel);
  MarkWritten(customMessage, key.Write(customMessage, customMessage_));  // its first 127 characters
  MarkWritten(wavFile, key.Write(wavFile, wavFile_));
  MarkWritten(countdown, key.Write(countdown, countdown_));
  MarkWritten(useCountdown, key.Write(useCountdown, useCountdown_ ? 1 : 0));
  MarkWritten(playSound, key.Write(playSound, wavFile_.empty() ? 0 : 1));
  MarkWritten(userCancel, key.Write(userCancel, userCancel_ ? 1 : 0));
  return true;
}

}  // namespace lullan::config
