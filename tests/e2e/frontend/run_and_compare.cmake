# Runs quenbar headless under SCRIPT in WORKDIR, from the start values of the
# settings file (USERINFO), and compares each capture named in CAPTURES
# (comma-separated) with its golden copy in GOLDEN (USERINFO "NONE": from no
# settings file at all). With SERVER_LOG (a run into
# a started game), each line of that file is a pattern the server's log of the
# run must match. With KEPT, each line of that file is a line the settings file
# must hold after the run. With LEAVES (comma-separated globs under WORKDIR,
# e.g. the autosaves of a played turn), what the run left there is removed
# again, so the runs after it see the folder as it was. With REGISTRY (the
# installation's registry file), that file is put back as it was before the
# run (a quick start after a save remembers the save there). With HIDE (comma-separated
# files under WORKDIR), those files are out of the installation during the run
# and back after it. The goldens change
# only on purpose: with QUEN_REFRESH_GOLDENS=1 in the environment the captures
# are copied over them instead of compared (tests/e2e/refresh_goldens.sh).
# USERINFO "NONE": the run starts without a settings file, as a first start.
include(${CMAKE_CURRENT_LIST_DIR}/../describe_difference.cmake)
if(USERINFO STREQUAL "NONE")
  file(REMOVE ${WORKDIR}/UserInfo.dat)
elseif(USERINFO)
  file(COPY_FILE ${USERINFO} ${WORKDIR}/UserInfo.dat)
endif()
set(hidden)
if(HIDE)
  string(REPLACE "," ";" hide "${HIDE}")
  foreach(file IN LISTS hide)
    if(EXISTS ${WORKDIR}/${file})
      file(RENAME ${WORKDIR}/${file} ${WORKDIR}/${file}.hidden)
      list(APPEND hidden ${WORKDIR}/${file})
    endif()
  endforeach()
endif()
# (A caller that changed the registry file for the run keeps the original
# there itself.)
if(REGISTRY AND NOT EXISTS ${REGISTRY}.before)
  file(COPY_FILE ${REGISTRY} ${REGISTRY}.before)
endif()
# It plays alone, so nobody needs its server once its script has ended.
execute_process(COMMAND ${CMAKE_COMMAND} -E env QUENBAR_SCRIPT_GRACE=0 ${QUENBAR} --headless --script ${SCRIPT}
  WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE rc ERROR_VARIABLE err TIMEOUT 120)
message("${err}")
foreach(file IN LISTS hidden)
  file(RENAME ${file}.hidden ${file})
endforeach()
if(REGISTRY)
  file(RENAME ${REGISTRY}.before ${REGISTRY})
endif()
if(LEAVES)
  string(REPLACE "," ";" leaves "${LEAVES}")
  foreach(pattern IN LISTS leaves)
    file(GLOB left ${WORKDIR}/${pattern})
    if(left)
      file(REMOVE ${left})
    endif()
  endforeach()
endif()
# A run into a started game is told to quit at its end: no game view
# answers Escape yet. Every wait of its script must have been met all the same.
set(ended_in_game FALSE)
if(SERVER_LOG AND err MATCHES "told to quit" AND NOT err MATCHES "script line")
  set(ended_in_game TRUE)
endif()
if(NOT rc EQUAL 0 AND NOT ended_in_game)
  message(FATAL_ERROR "quenbar ended with ${rc} under ${SCRIPT}")
endif()
string(REPLACE "," ";" captures "${CAPTURES}")
foreach(capture IN LISTS captures)
  if("$ENV{QUEN_REFRESH_GOLDENS}" STREQUAL "1")
    if(NOT EXISTS ${WORKDIR}/${capture})
      message(FATAL_ERROR "the run made no ${capture}")
    endif()
    file(COPY_FILE ${WORKDIR}/${capture} ${GOLDEN}/${capture})
    continue()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORKDIR}/${capture} ${GOLDEN}/${capture}
    RESULT_VARIABLE differs)
  if(differs)
    quen_describe_difference(${WORKDIR}/${capture} ${GOLDEN}/${capture} where)
    message(FATAL_ERROR "${capture} differs from ${GOLDEN}/${capture}${where} "
      "(if the change is intended, run tests/e2e/refresh_goldens.sh)")
  endif()
endforeach()
if(SERVER_LOG)
  file(READ ${WORKDIR}/SAVE/QuenSrvr.log log)
  string(FIND "${log}" "server starts for a session" last REVERSE)
  if(last LESS 0)
    message(FATAL_ERROR "the server's log tells of no session")
  endif()
  string(SUBSTRING "${log}" ${last} -1 log)
  file(STRINGS ${SERVER_LOG} patterns)
  foreach(pattern IN LISTS patterns)
    if(NOT log MATCHES "${pattern}")
      message(FATAL_ERROR "the server's log of the run lacks \"${pattern}\":\n${log}")
    endif()
  endforeach()
endif()
if(KEPT)
  file(STRINGS ${WORKDIR}/UserInfo.dat kept_lines)
  file(STRINGS ${KEPT} wanted_lines)
  foreach(line IN LISTS wanted_lines)
    list(FIND kept_lines "${line}" at)
    if(at LESS 0)
      message(FATAL_ERROR "UserInfo.dat does not keep \"${line}\" after ${SCRIPT}")
    endif()
  endforeach()
endif()
