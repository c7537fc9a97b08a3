// A program that loads "quitcom.dll" by its bare name, as logoff.exe /install
// does, after limiting its library search as the shipped programs do, or
// without ("unlimited"). Its exit code: 0 when a library was loaded, 1 when
// none was found.
#include <windows.h>

#include <cwchar>

#include "dll_search.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || std::wcscmp(argv[1], L"unlimited") != 0) lullan::LimitDllSearch();
  HMODULE library = ::LoadLibraryW(L"quitcom.dll");
  if (!library) return 1;
  ::FreeLibrary(library);
  return 0;
}
