# The registry file of a fresh installation, written by quenregistry
# (tools/registry) from the layout: one VALUE=FOLDER argument per directory.
set(registry_directories)
list(LENGTH QUEN_LAYOUT n)
math(EXPR last "${n} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET QUEN_LAYOUT ${i} value)
  list(GET QUEN_LAYOUT ${j} dir)
  list(APPEND registry_directories "${value}=${dir}")
endforeach()

add_custom_command(OUTPUT ${QUEN_REGISTRY_FILE}
  COMMAND quenregistry ${QUEN_REGISTRY_FILE} ${QUEN_DRIVE_C} ${QUEN_DRIVE_D} $<TARGET_FILE:quensrvr>
          ${QUEN_INSTALL_ROOT_DOS} ${QUEN_CD_ROOT_DOS} ${registry_directories}
  DEPENDS quenregistry ${CMAKE_CURRENT_LIST_DIR}/registry.cmake ${CMAKE_CURRENT_LIST_DIR}/layout.cmake gamedata_tree
  COMMENT "Writing the registry of a fresh installation"
  VERBATIM)
