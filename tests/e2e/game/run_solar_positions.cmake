# Runs a scripted game (run_and_compare.cmake with the same variables) that
# ends by saving it as "positions", then has COMPARE check the player's half
# of that save against the server's: the asteroids where the server has them.
# The save is removed again whatever the outcome, so no later run lists it.
file(GLOB stale ${WORKDIR}/SAVE/positions.*)
if(stale)
  file(REMOVE ${stale})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -DQUENBAR=${QUENBAR} -DSCRIPT=${SCRIPT} -DWORKDIR=${WORKDIR}
    -DGOLDEN=${GOLDEN} -DCAPTURES=${CAPTURES} -DUSERINFO=${USERINFO} -DSERVER_LOG=${SERVER_LOG} -DLEAVES=${LEAVES}
    -DREGISTRY=${REGISTRY} -P ${RUN_AND_COMPARE}
  RESULT_VARIABLE run_rc OUTPUT_VARIABLE run_out ERROR_VARIABLE run_err)
message("${run_out}${run_err}")
set(compare_rc 0)
if(run_rc EQUAL 0)
  execute_process(COMMAND ${COMPARE} ${WORKDIR}/SAVE/positions.clt ${WORKDIR}/SAVE/positions.svr
    RESULT_VARIABLE compare_rc OUTPUT_VARIABLE compare_out ERROR_VARIABLE compare_err)
  message("${compare_out}${compare_err}")
endif()
file(GLOB left ${WORKDIR}/SAVE/positions.*)
if(left)
  file(REMOVE ${left})
endif()
if(NOT run_rc EQUAL 0)
  message(FATAL_ERROR "the run failed")
endif()
if(NOT compare_rc EQUAL 0)
  message(FATAL_ERROR "the asteroids of the player's save are not where the server's save has them")
endif()
