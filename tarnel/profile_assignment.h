// Assigning a shared profile to workstations ("Assign Profile"). The console
// writes three values into each workstation's version key through the
// remote registry seam and copies nothing else: the workstation's
// configuration monitor sees that its stamp differs from the profile's and
// copies the profile itself.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "console_messages.h"

namespace lullan::tarnel {

// What one workstation gets: "Profile", "PLS" and "ProfileLastChanged".
struct ProfileAssignment {
  std::wstring profile;
  std::wstring server;  // this console's computer name, without backslashes
  DWORD stamp;          // packed local time
};

// How far the assignment of one workstation got.
enum class AssignmentStep {
  Assigned,    // all three values written
  Connection,  // the workstation's registry could not be reached
  ProductKey,  // its product key could not be opened
  VersionKey,  // its version key could not be opened for writing
  Values,      // a value could not be written; those before it stay
};

struct AssignmentResult {
  AssignmentStep step;
  LSTATUS status;        // the failing call's code
  std::wstring keyPath;  // the key the step opened, or failed to open
};

// Writes the assignment into `computer`'s version key (the name as listed).
// "Profile", then "PLS", then "ProfileLastChanged"; writing stops at the
// first failure. The version key lookup tells its trouble to `messages`.
AssignmentResult WriteAssignment(const std::wstring& computer, const ProfileAssignment& assignment,
                                 MessageSink& messages);

// The stamp of an assignment made at the packed time `now`. The monitor
// copies the profile only when the workstation's stamp differs from the
// profile's, so an assignment in the minute the profile was last changed
// is stamped one minute earlier (23:59 before 00:00).
DWORD AssignmentStamp(DWORD now, std::optional<DWORD> profileStamp);

}  // namespace lullan::tarnel
