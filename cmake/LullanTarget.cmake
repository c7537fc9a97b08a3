# Settings every target of ours shares: warnings as errors, a static runtime
# (nothing but system DLLs to ship), and the Windows NT API floor the suite needs.
#
# Code is optimised for size, and what a program does not call is left out
# of it (one section per function, unused ones dropped at the link): every
# shipped program must stay under 400 KiB with the C++ runtime linked in, and
# setup, with its dialogs and all the configuration pages, comes close.
#
#   lullan_target(<target> [UNICODE])
#
# UNICODE marks the UTF-16 programs (setup, tarnel, profmon and their libraries);
# the COM components and logoff call the ...A functions by their explicit names.
function(lullan_target target)
  cmake_parse_arguments(ARG "UNICODE" "" "" ${ARGN})
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Os -ffunction-sections -fdata-sections)
  target_compile_definitions(${target} PRIVATE
    _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600 WIN32_LEAN_AND_MEAN NOMINMAX STRSAFE_NO_DEPRECATE)
  if(ARG_UNICODE)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
  endif()
endfunction()

# A UTF-16 program whose entry point is wmain or wWinMain.
function(lullan_unicode_program target)
  lullan_target(${target} UNICODE)
  target_link_options(${target} PRIVATE -municode)
endfunction()
