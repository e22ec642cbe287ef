# Starts a copy of quenbar (with its resource module) headless in a scratch
# folder of its own, its settings folder there too:
#   MODE=registry  the settings folder is empty: the run must name the registry
#                  file on standard error, print nothing on standard output and
#                  exit with 4;
#   MODE=gamevar   an installation of links to the built one whose gamevar.dat
#                  is damaged: the run must warn of it on standard error and go
#                  on to its first screen, headless as it was asked, exiting
#                  with 0, and at its end speak of no script, as it was given
#                  none;
#   MODE=server    PROGRAM is quensrvr, started with the empty settings folder:
#                  it must name the rules file it cannot read on standard error
#                  and exit with 3.
#   cmake -DPROGRAM=<built quenbar> -DGAMEDATA=<built gamedata> -DSCRATCH=<folder>
#         -DMODE=registry|gamevar -P start_failures.cmake
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/config")
if(MODE STREQUAL "server")
  execute_process(COMMAND "${PROGRAM}" WORKING_DIRECTORY "${SCRATCH}"
    RESULT_VARIABLE exit OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 50)
  message("${out}${err}")
  if(NOT exit STREQUAL "3" OR NOT err MATCHES "the rules file \"hulls.dat\" is missing or damaged")
    message(FATAL_ERROR "quensrvr ended with ${exit} without naming its rules file on standard error")
  endif()
  return()
endif()
get_filename_component(bin "${PROGRAM}" DIRECTORY)
file(CREATE_LINK "${PROGRAM}" "${SCRATCH}/quenbar" COPY_ON_ERROR)
file(CREATE_LINK "${bin}/quenbar.dll" "${SCRATCH}/quenbar.dll" COPY_ON_ERROR)
set(folder "${SCRATCH}")
if(MODE STREQUAL "gamevar")
  set(folder "${SCRATCH}/c/QUENBAR")
  file(MAKE_DIRECTORY "${folder}")
  file(GLOB entries RELATIVE "${GAMEDATA}/c/QUENBAR" "${GAMEDATA}/c/QUENBAR/*")
  foreach(entry IN LISTS entries)
    if(NOT entry STREQUAL "gamevar.dat")
      file(CREATE_LINK "${GAMEDATA}/c/QUENBAR/${entry}" "${folder}/${entry}" SYMBOLIC)
    endif()
  endforeach()
  # A byte no text holds.
  string(ASCII 1 control)
  file(WRITE "${folder}/gamevar.dat" "CREDITS_PER_ASTEROID=75${control}\n")
  file(READ "${GAMEDATA}/config/registry.reg" registry)
  string(REPLACE "\"C\"=\"${GAMEDATA}/c\"" "\"C\"=\"${SCRATCH}/c\"" registry "${registry}")
  file(WRITE "${SCRATCH}/config/registry.reg" "${registry}")
endif()
execute_process(COMMAND "${SCRATCH}/quenbar" --headless WORKING_DIRECTORY "${folder}"
  RESULT_VARIABLE exit OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 50)
message("${out}${err}")
if(MODE STREQUAL "gamevar")
  if(NOT exit STREQUAL "0" OR NOT err MATCHES "The rules file gamevar.dat is damaged: default values are used"
     OR NOT err MATCHES "told to quit" OR NOT err MATCHES "headless as asked")
    message(FATAL_ERROR "quenbar ended with ${exit} without warning of gamevar.dat on standard error and going on")
  endif()
  if(err MATCHES "script ended")
    message(FATAL_ERROR "quenbar, run without a script, said that its script ended")
  endif()
else()
  if(NOT exit STREQUAL "4")
    message(FATAL_ERROR "quenbar ended with ${exit}, not 4")
  endif()
  string(FIND "${err}" "settings file ${SCRATCH}/config/registry.reg is missing or damaged" named)
  if(named EQUAL -1)
    message(FATAL_ERROR "quenbar did not name ${SCRATCH}/config/registry.reg on standard error")
  endif()
endif()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "quenbar wrote to standard output")
endif()
if(err MATCHES "Sanitizer|runtime error")
  message(FATAL_ERROR "the run was not clean")
endif()
