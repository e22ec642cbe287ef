# Runs quenbar where its start cannot go on and fails unless the run ends with
# the code EXIT and names the cause (TOLD, a regular expression) on standard
# error, not on standard output, where a launcher or a shell would not see it.
#   cmake -DPROGRAM=<quenbar> -DEXIT=<code> -DTOLD=<regex> "-DARGS=<arguments>"
#         -P start_refused.cmake
execute_process(COMMAND "${PROGRAM}" ${ARGS}
  RESULT_VARIABLE exit OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 50)
message("${out}${err}")
if(NOT exit STREQUAL "${EXIT}")
  message(FATAL_ERROR "quenbar ended with ${exit}, not ${EXIT}")
endif()
if(NOT err MATCHES "${TOLD}")
  message(FATAL_ERROR "standard error does not name the cause")
endif()
if(out MATCHES "${TOLD}")
  message(FATAL_ERROR "the cause went to standard output")
endif()
