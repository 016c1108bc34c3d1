# SPDX-License-Identifier: GPL-3.0-or-later
# zolvek_man_page(TARGET SOURCE): the manual page SOURCE (section 1, with
# @PROJECT_VERSION@ filled in) compressed as Debian wants it, built with
# TARGET and installed with it.
include(GNUInstallDirs)
function(zolvek_man_page target source)
  get_filename_component(name ${source} NAME)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/${name})
  configure_file(${source} ${page} @ONLY)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND gzip -9nc ${page} > ${page}.gz
    DEPENDS ${page}
    VERBATIM)
  add_custom_target(${target}_man DEPENDS ${page}.gz)
  add_dependencies(${target} ${target}_man)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
