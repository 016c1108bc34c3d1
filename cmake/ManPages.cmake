# SPDX-License-Identifier: GPL-3.0-or-later
# zolvek_man_page(TARGET SOURCE [COMPONENT NAME]): the manual page SOURCE
# (its section the file's ending, with @PROJECT_VERSION@ filled in)
# compressed as Debian wants it, built with TARGET and installed with it,
# in its package's component.
include(GNUInstallDirs)
function(zolvek_man_page target source)
  cmake_parse_arguments(ARG "" "COMPONENT" "" ${ARGN})
  if(NOT ARG_COMPONENT)
    set(ARG_COMPONENT ${CMAKE_INSTALL_DEFAULT_COMPONENT_NAME})
  endif()
  get_filename_component(name ${source} NAME)
  get_filename_component(section ${source} LAST_EXT)
  string(SUBSTRING ${section} 1 -1 section)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/${name})
  configure_file(${source} ${page} @ONLY)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND gzip -9nc ${page} > ${page}.gz
    DEPENDS ${page}
    VERBATIM)
  add_custom_target(${target}_man DEPENDS ${page}.gz)
  add_dependencies(${target} ${target}_man)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section}
          COMPONENT ${ARG_COMPONENT})
endfunction()
