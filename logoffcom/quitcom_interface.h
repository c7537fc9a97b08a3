// ILogoff and its identifier under the names the code uses. The IDL declares
// the interface as "Ilogoff", the name its type library has always recorded.
#pragma once

#include "quitcom.h"

using ILogoff = Ilogoff;
inline const IID& IID_ILogoff = IID_Ilogoff;
