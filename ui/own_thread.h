// Work that must not run on the window's thread, run on a short-lived thread
// of its own while the window's thread goes on dispatching its messages: the
// windows repaint, take what is posted to them, and answer the messages a
// window of the other thread sends them (a dialog it shows, owned by one of
// them, disables and re-enables its owner).
//
//   bool chosen = false;
//   ui::RunOnOwnThread([&] { chosen = ::GetOpenFileNameW(&choice) != FALSE; }, ui::Apartment::SingleThreaded);
//
// The common dialogs (the file dialog, the folder browser) browse the shell's
// folders through objects that only work in a single-threaded apartment; the
// console's window thread is in the multithreaded one, for its DCOM calls.
// So every common dialog is shown from such a thread.
#pragma once

#include <functional>

namespace lullan::ui {

// How the thread of RunOnOwnThread joins COM.
enum class Apartment {
  None,            // not at all: the work makes no COM call
  SingleThreaded,  // a single-threaded apartment, for as long as the work runs
};

// Runs `work` on a thread of its own and returns when it has ended. An
// exception `work` throws comes out here. When no thread can be had, the work
// runs here, on the calling thread.
void RunOnOwnThread(const std::function<void()>& work, Apartment apartment = Apartment::None);

}  // namespace lullan::ui
