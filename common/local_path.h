// Paths read from another machine's registry (a workstation's "WavFile", a
// Windows 9x computer's "InstallDir") name that machine's files. Opened here
// as they stand, a UNC path would have this machine authenticate to whatever
// server it names (with the administrator's credentials), and a device path
// would open a device of this machine. What such a path may be opened as is
// told by its text alone, before anything touches it.
#pragma once

#include <string_view>

namespace lullan {

// Whether `path` can only name a file on this machine's own drives: an
// absolute or relative path without a UNC server ("\\server\share",
// "//server/share"), without the device and object namespaces ("\\.\",
// "\\?\", "\??\"), without a device name in its last part ("COM1", "NUL",
// "C:\Sounds\lpt1.wav") and without a stream or a colon anywhere but after
// its drive letter. False for an empty path.
bool IsLocalFilePath(std::wstring_view path);

}  // namespace lullan
