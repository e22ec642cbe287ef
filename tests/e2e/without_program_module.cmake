# Runs a copy of quenbar in a scratch folder of its own, where its resource
# module quenbar.dll is missing (MODE=missing) or empty (MODE=empty), and
# fails unless the run names that file on standard error and exits with 3.
# The built module beside the real program is never touched.
#   cmake -DPROGRAM=<built quenbar> -DSCRATCH=<folder> -DMODE=missing|empty
#         "-DARGS=<quenbar's arguments>" -P without_program_module.cmake
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
# The program looks for its module beside its own file, so a link to the
# built program (a copy where links are refused) stands for the folder.
file(CREATE_LINK "${PROGRAM}" "${SCRATCH}/quenbar" COPY_ON_ERROR)
if(MODE STREQUAL "empty")
  file(WRITE "${SCRATCH}/quenbar.dll" "")
  set(told "is damaged")
else()
  set(told "is missing")
endif()
execute_process(COMMAND "${SCRATCH}/quenbar" ${ARGS}
  RESULT_VARIABLE exit OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 50)
message("${out}${err}")
if(NOT exit STREQUAL "3")
  message(FATAL_ERROR "quenbar ended with ${exit}, not 3")
endif()
string(FIND "${err}" "resource module ${SCRATCH}/quenbar.dll ${told}" named)
if(named EQUAL -1)
  message(FATAL_ERROR "quenbar did not say that ${SCRATCH}/quenbar.dll ${told}")
endif()
if(err MATCHES "Sanitizer|runtime error")
  message(FATAL_ERROR "the run was not clean")
endif()
