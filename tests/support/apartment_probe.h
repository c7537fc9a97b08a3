// Which COM apartment the thread of a window is in, asked on that thread
// itself (a message hook runs there while the window takes a message sent to
// it): "single-threaded", "multithreaded" or "none". For windows that the
// code under test shows from a thread of its own, such as the common dialogs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "dialog_answerer.h"

namespace lullan::test {

std::wstring ApartmentOf(HWND window);

// An answer to a dialog: notes the apartment of its thread in `apartment`,
// then cancels it.
DialogAnswerer::Action NoteApartmentAndCancel(std::wstring& apartment);

// Runs `body` on a thread of its own in the multithreaded apartment, as the
// console's window thread is, and returns when it has ended.
void OnMultithreadedThread(const std::function<void()>& body);

}  // namespace lullan::test
