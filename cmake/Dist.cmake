# dist/: the installable folder an administrator copies to a share and runs
# setup.exe from. Programs add themselves with lullan_dist(<target>); loose
# files (release notes, sounds) with lullan_dist_file(<path>).
set(LULLAN_DIST_DIR ${CMAKE_SOURCE_DIR}/dist CACHE PATH "Where the dist target assembles the product")

function(lullan_dist target)
  set_property(GLOBAL APPEND PROPERTY LULLAN_DIST_TARGETS ${target})
endfunction()

function(lullan_dist_file path)
  set_property(GLOBAL APPEND PROPERTY LULLAN_DIST_FILES ${path})
endfunction()

function(lullan_dist_target)
  get_property(targets GLOBAL PROPERTY LULLAN_DIST_TARGETS)
  get_property(files GLOBAL PROPERTY LULLAN_DIST_FILES)
  set(commands COMMAND ${CMAKE_COMMAND} -E rm -rf ${LULLAN_DIST_DIR}
               COMMAND ${CMAKE_COMMAND} -E make_directory ${LULLAN_DIST_DIR})
  foreach(t IN LISTS targets)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${t}> ${LULLAN_DIST_DIR})
  endforeach()
  foreach(f IN LISTS files)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy ${f} ${LULLAN_DIST_DIR})
  endforeach()
  add_custom_target(dist ${commands} DEPENDS ${targets} COMMENT "Assembling ${LULLAN_DIST_DIR}" VERBATIM)
endfunction()
