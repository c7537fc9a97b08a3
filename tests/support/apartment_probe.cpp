#include "apartment_probe.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>

#include "text_format.h"
#include "ui_handles.h"

namespace lullan::test {

namespace {

// What the hook found; set on the window's thread while this thread waits
// in SendMessageW for it.
const wchar_t* gFound = nullptr;

const wchar_t* ThisThreadsApartment() {
  // Joining a single-threaded apartment tells what the thread was in: S_FALSE
  // when it was in one already, a mode change refused in the multithreaded
  // one, S_OK when it was in none. Each success is undone at once.
  HRESULT joined = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (joined == RPC_E_CHANGED_MODE) return L"multithreaded";
  if (FAILED(joined)) return L"unknown";
  ::CoUninitialize();
  return joined == S_FALSE ? L"single-threaded" : L"none";
}

LRESULT CALLBACK Probe(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && !gFound) gFound = ThisThreadsApartment();
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::wstring ApartmentOf(HWND window) {
  DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  gFound = nullptr;
  unique_hook hook(::SetWindowsHookExW(WH_CALLWNDPROC, &Probe, nullptr, thread));
  if (!hook) return FormatText(L"(no hook on thread %lu: error %lu)", thread, ::GetLastError());
  ::SendMessageW(window, WM_NULL, 0, 0);
  return gFound ? gFound : L"(the window's thread took no message)";
}

DialogAnswerer::Action NoteApartmentAndCancel(std::wstring& apartment) {
  return [&apartment](HWND dialog) {
    apartment = ApartmentOf(dialog);
    DialogAnswerer::PressButton(dialog, IDCANCEL);
  };
}

void OnMultithreadedThread(const std::function<void()>& body) {
  std::thread thread([&body] {
    HRESULT joined = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(joined, S_OK) << "the new thread joins the multithreaded apartment";
    body();
    if (SUCCEEDED(joined)) ::CoUninitialize();
  });
  thread.join();
}

}  // namespace lullan::test
