# Runs one asset generator through the asset cache (cmake -P):
#   cmake -DNAME=id -DOUT=dir -DSTAMP=file -DINPUTS=list-file [-DINSTALL=dir] -P cache.cmake -- generator args...
# The generator's argument @OUT@ stands for the folder it writes; its output is
# copied to OUT and, when given, also into the folder INSTALL. Its output is
# kept under ${QUEN_ASSET_CACHE}, else ${XDG_CACHE_HOME}/quenbar-assets, else
# ~/.cache/quenbar-assets, in a folder named by a hash of the generator's sources
# and inputs (the files listed in INPUTS) and of its arguments, so a rebuild or a
# fresh clone on the same machine copies it instead of drawing it again.
cmake_minimum_required(VERSION 3.20)

set(command)
set(seen_dashes FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE 1 ${last})
  if(seen_dashes)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(seen_dashes TRUE)
  endif()
endforeach()
if(NOT command OR NOT NAME OR NOT OUT OR NOT STAMP OR NOT INPUTS)
  message(FATAL_ERROR "cache.cmake: NAME, OUT, STAMP, INPUTS and a command after -- are needed")
endif()

# The key: each input's name within its folder and its contents, and the
# arguments other than the generator's own path, paths by their last part, so
# that another clone of the tree finds the same entries.
file(STRINGS ${INPUTS} input_files)
set(key_text "${NAME}\n")
list(SUBLIST command 1 -1 args)
foreach(a IN LISTS args)
  if(IS_ABSOLUTE "${a}")
    get_filename_component(a "${a}" NAME)
  endif()
  string(APPEND key_text "${a} ")
endforeach()
string(APPEND key_text "\n")
foreach(f IN LISTS input_files)
  file(SHA256 ${f} h)
  get_filename_component(n ${f} NAME)
  string(APPEND key_text "${n} ${h}\n")
endforeach()
string(SHA256 key "${key_text}")
string(SUBSTRING ${key} 0 24 key)

if(DEFINED ENV{QUEN_ASSET_CACHE} AND NOT "$ENV{QUEN_ASSET_CACHE}" STREQUAL "")
  set(root $ENV{QUEN_ASSET_CACHE})
elseif(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
  set(root $ENV{XDG_CACHE_HOME}/quenbar-assets)
else()
  set(root $ENV{HOME}/.cache/quenbar-assets)
endif()
set(entry ${root}/${NAME}-${key})

if(NOT EXISTS ${entry}/.complete)
  set(temp ${entry}.tmp)
  file(REMOVE_RECURSE ${temp})
  file(MAKE_DIRECTORY ${temp})
  list(TRANSFORM command REPLACE "@OUT@" "${temp}")
  execute_process(COMMAND ${command} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    file(REMOVE_RECURSE ${temp})
    message(FATAL_ERROR "asset generator for ${NAME} failed: ${result}")
  endif()
  file(TOUCH ${temp}/.complete)
  file(REMOVE_RECURSE ${entry})
  file(RENAME ${temp} ${entry})
  # Older entries of the same asset set are of no further use.
  file(GLOB stale LIST_DIRECTORIES true ${root}/${NAME}-*)
  list(REMOVE_ITEM stale ${entry})
  foreach(s IN LISTS stale)
    file(REMOVE_RECURSE ${s})
  endforeach()
endif()

file(REMOVE_RECURSE ${OUT})
file(COPY ${entry}/ DESTINATION ${OUT} PATTERN .complete EXCLUDE)
if(INSTALL)
  file(COPY ${entry}/ DESTINATION ${INSTALL} PATTERN .complete EXCLUDE)
endif()
file(TOUCH ${STAMP})
