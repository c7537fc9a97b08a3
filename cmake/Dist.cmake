# dist/: the installable folder an administrator copies to a share and runs
# setup.exe from. Programs add themselves with lullan_dist(<target>); loose
# files (release notes, sounds) with lullan_dist_file(<path>).
#
# The programs in dist/ are stripped: an administrator copies them onto every
# workstation, and two thirds of an unstripped binary are symbols. The symbols
# stay in the build tree, one <file>.debug per program in <build>/symbols,
# and each shipped program names its symbol file in a .gnu_debuglink section,
# so gdb (or addr2line on the .debug file) turns a crash address from the
# field back into a source line.
set(LULLAN_DIST_DIR ${CMAKE_BINARY_DIR}/dist CACHE PATH "Where the dist target assembles the product")
set(LULLAN_SYMBOLS_DIR ${CMAKE_BINARY_DIR}/symbols)

function(lullan_dist target)
  set_property(GLOBAL APPEND PROPERTY LULLAN_DIST_TARGETS ${target})
  # A shipped program with C++ code ends an escaped exception without the
  # runtime's demangler (common/terminate_handler.cpp says why).
  get_target_property(language ${target} LINKER_LANGUAGE)
  if(NOT language STREQUAL "C")
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/common/terminate_handler.cpp)
  endif()
endfunction()

# A loose file; GENERATED_BY names the target that makes it in the build.
function(lullan_dist_file path)
  cmake_parse_arguments(ARG "" "GENERATED_BY" "" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY LULLAN_DIST_FILES ${path})
  if(ARG_GENERATED_BY)
    set_property(GLOBAL APPEND PROPERTY LULLAN_DIST_FILE_TARGETS ${ARG_GENERATED_BY})
  endif()
endfunction()

# The dist target is part of every build, so a test can look at what ships.
function(lullan_dist_target)
  get_property(targets GLOBAL PROPERTY LULLAN_DIST_TARGETS)
  get_property(files GLOBAL PROPERTY LULLAN_DIST_FILES)
  get_property(generators GLOBAL PROPERTY LULLAN_DIST_FILE_TARGETS)
  set(commands COMMAND ${CMAKE_COMMAND} -E rm -rf ${LULLAN_DIST_DIR}
               COMMAND ${CMAKE_COMMAND} -E make_directory ${LULLAN_DIST_DIR} ${LULLAN_SYMBOLS_DIR})
  foreach(t IN LISTS targets)
    set(symbols ${LULLAN_SYMBOLS_DIR}/$<TARGET_FILE_NAME:${t}>.debug)
    list(APPEND commands
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${t}> ${symbols}
      COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${symbols}
              $<TARGET_FILE:${t}> ${LULLAN_DIST_DIR}/$<TARGET_FILE_NAME:${t}>)
  endforeach()
  foreach(f IN LISTS files)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy ${f} ${LULLAN_DIST_DIR})
  endforeach()
  add_custom_target(dist ALL ${commands} DEPENDS ${targets} COMMENT "Assembling ${LULLAN_DIST_DIR}" VERBATIM)
  if(generators)
    add_dependencies(dist ${generators})
  endif()

  # What ships, one file name a line, for the test that looks at dist/.
  set(names "")
  foreach(t IN LISTS targets)
    string(APPEND names "$<TARGET_FILE_NAME:${t}>\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/dist-programs.txt CONTENT "${names}")
  # And the loose files, for the same test.
  set(loose "")
  foreach(f IN LISTS files)
    get_filename_component(name ${f} NAME)
    string(APPEND loose "${name}\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/dist-files.txt CONTENT "${loose}")
endfunction()
