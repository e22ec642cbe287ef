# Runs quenbar headless under SCRIPT in WORKDIR and compares each capture
# named in CAPTURES (comma-separated) with its golden copy in GOLDEN. The goldens
# change only on purpose: refresh_goldens.sh writes them again.
execute_process(COMMAND ${QUENBAR} --headless --script ${SCRIPT}
  WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE rc TIMEOUT 120)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "quenbar ended with ${rc} under ${SCRIPT}")
endif()
string(REPLACE "," ";" captures "${CAPTURES}")
foreach(capture IN LISTS captures)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORKDIR}/${capture} ${GOLDEN}/${capture}
    RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${capture} differs from ${GOLDEN}/${capture} "
      "(if the change is intended, run tests/e2e/frontend/refresh_goldens.sh)")
  endif()
endforeach()
