// What a configuration sheet, confirmed without a change, may have written
// over a configuration: the values its pages write whenever they have been
// shown, each within the schema's rules, and nothing else.
//
//   Opener opener = Opener::ConsoleMachine;
//   std::vector<std::wstring> faults = JudgeWrites(opener, before, keyPath, walk.result == IDOK);
//
// A value is judged when a page writes it (whatever was stored before, since
// the stored value is then the page's) or when it changed. It must have the
// schema's type and size; a flag is 0 or 1, a number within its range, a
// packed time a time of day, a text terminated, without a null inside and no
// longer than its limit, an action one of the three words. Across values:
// PlaySound says whether WavFile names a file, the two "Only logoff if"
// flags are never on together, and a profile is never assigned without a
// server. An emptied countdown is stored as 0 with the countdown off; that
// pair passes. The Groups subkey, which only Add, Edit and Delete change,
// must be as it was.
#pragma once

#include <string>
#include <vector>

#include "configuration_sheet.h"
#include "random_configuration.h"

namespace lullan::bench {

// The openers of a sheet, with their hosts and targets.
enum class Opener {
  Setup,               // setup's Configure: the version key, five pages
  ConsoleMachine,      // the console's remote configuration: a local copy key, five pages
  ConsoleEditProfile,  // its "Edit Profile": a profile key, five pages
  ProfileManager,      // the shared profiles manager: a profile key, four pages
};

config::SheetPages PagesOf(Opener opener);

// The faults found, one line each ("IdleMinutes: 0 is outside 1 to 10080").
// `confirmed`: the sheet was closed with OK (otherwise nothing may change).
std::vector<std::wstring> JudgeWrites(Opener opener, const RandomConfiguration& before, const std::wstring& keyPath,
                                      bool confirmed);

// The values the pages write (and so must be there) that are not.
std::vector<std::wstring> MissingWrites(Opener opener, const RandomConfiguration& before, const std::wstring& keyPath,
                                        bool confirmed);

}  // namespace lullan::bench
