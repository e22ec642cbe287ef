# cmake -P: configures and builds the fixture tree FIXTURE in BUILD_DIR with the
# project's quen_library (QUEN_LIBRARY_CMAKE), going on past failures, then
# checks that each source of REFUSED failed for want of the header MISSING and
# that each object of BUILT (a path below CMakeFiles/) was compiled.
# GENERATOR, MAKE_PROGRAM and CXX_COMPILER are the project build's own.
cmake_policy(VERSION 3.25)
foreach(var FIXTURE BUILD_DIR QUEN_LIBRARY_CMAKE MISSING REFUSED BUILT GENERATOR CXX_COMPILER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "build_fixture.cmake: ${var} is not given")
  endif()
endforeach()
string(REPLACE "," ";" REFUSED "${REFUSED}")
string(REPLACE "," ";" BUILT "${BUILT}")

file(REMOVE_RECURSE ${BUILD_DIR})
set(make_program)
if(MAKE_PROGRAM)
  set(make_program -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${FIXTURE} -B ${BUILD_DIR} -G ${GENERATOR} ${make_program}
                        -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DQUEN_LIBRARY_CMAKE=${QUEN_LIBRARY_CMAKE}
                RESULT_VARIABLE configured OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 120)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "the fixture does not configure:\n${out}")
endif()
if(GENERATOR STREQUAL "Ninja")
  set(keep_going -k 0)
else()
  set(keep_going -k)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} -- ${keep_going}
                RESULT_VARIABLE built OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 240)
if(built EQUAL 0 AND REFUSED)
  message(FATAL_ERROR "the fixture built whole, upward includes and all:\n${out}")
endif()

string(REPLACE "." "\\." missing_pattern "${MISSING}")
foreach(source IN LISTS REFUSED)
  string(REPLACE "." "\\." pattern "${source}")
  # GCC names the header bare, clang in quotes.
  if(NOT out MATCHES "${pattern}:[0-9]+:[0-9]+: fatal error: '?${missing_pattern}")
    message(FATAL_ERROR "${source} was not refused ${MISSING}:\n${out}")
  endif()
  message(STATUS "refused: ${source} includes ${MISSING}")
endforeach()
file(GLOB_RECURSE objects ${BUILD_DIR}/*.o)
foreach(object IN LISTS BUILT)
  string(REPLACE "." "\\." pattern "${object}")
  set(found ${objects})
  list(FILTER found INCLUDE REGEX "/CMakeFiles/${pattern}$")
  if(NOT found)
    message(FATAL_ERROR "${object} did not compile:\n${out}")
  endif()
  message(STATUS "compiled: ${object}")
endforeach()
