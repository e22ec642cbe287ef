# Writes the late-game scenario with LATEGAME (RULES, MODULE, TURNS) into OUT,
# puts its two files into WORKDIR's scenario folder for the run of
# run_and_compare.cmake (RUNNER) under SCRIPT, and takes them out again
# whatever the run's outcome, so that the other runs' scenario lists stay as
# they were. The remaining arguments are the runner's own.
execute_process(COMMAND ${LATEGAME} ${RULES} ${MODULE} ${OUT} ${TURNS} RESULT_VARIABLE made ERROR_VARIABLE made_err)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "the late game was not written: ${made_err}")
endif()
set(files "Late Game.scn" "Late Game.svr")
foreach(file IN LISTS files)
  file(COPY_FILE "${OUT}/${file}" "${WORKDIR}/SCENARIO/${file}")
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -DQUENBAR=${QUENBAR} -DSCRIPT=${SCRIPT} -DWORKDIR=${WORKDIR}
    -DGOLDEN=${GOLDEN} -DCAPTURES=${CAPTURES} -DUSERINFO=${USERINFO} -DSERVER_LOG=${SERVER_LOG} -DLEAVES=${LEAVES}
    -P ${RUNNER}
  RESULT_VARIABLE ran OUTPUT_VARIABLE out ERROR_VARIABLE err)
foreach(file IN LISTS files)
  file(REMOVE "${WORKDIR}/SCENARIO/${file}")
endforeach()
message("${out}${err}")
if(NOT ran EQUAL 0)
  message(FATAL_ERROR "the run in the late game failed")
endif()
