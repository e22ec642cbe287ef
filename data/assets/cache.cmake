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
  # Each build draws into a folder of its own, so two builds of the same tree
  # (two presets, or CI beside a developer) never write into one another's.
  string(SHA256 out_hash "${OUT}")
  string(SUBSTRING ${out_hash} 0 12 out_hash)
  string(RANDOM LENGTH 8 salt)
  set(temp ${entry}.tmp-${out_hash}-${salt})
  file(MAKE_DIRECTORY ${temp})
  list(TRANSFORM command REPLACE "@OUT@" "${temp}")
  execute_process(COMMAND ${command} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    file(REMOVE_RECURSE ${temp})
    message(FATAL_ERROR "asset generator for ${NAME} failed: ${result}")
  endif()
  file(TOUCH ${temp}/.complete)
  # A folder without its mark is what a killed build left: never a finished entry.
  if(EXISTS ${entry} AND NOT EXISTS ${entry}/.complete)
    file(REMOVE_RECURSE ${entry})
  endif()
  # Whichever build finishes first places the entry; a later one keeps it (a
  # folder is never renamed over one that holds files).
  file(RENAME ${temp} ${entry} RESULT renamed)
  file(REMOVE_RECURSE ${temp})
  if(NOT EXISTS ${entry}/.complete)
    message(FATAL_ERROR "asset cache: could not place ${entry}")
  endif()
  # Older entries of the same asset set are of no further use; another build's
  # drawing folder goes only when it is a day old (that build was killed).
  file(GLOB stale LIST_DIRECTORIES true ${root}/${NAME}-*)
  list(REMOVE_ITEM stale ${entry})
  string(TIMESTAMP now "%s" UTC)
  foreach(s IN LISTS stale)
    if(s MATCHES "\\.tmp-")
      file(TIMESTAMP ${s} made "%s" UTC)
      if(made)
        math(EXPR age "${now} - ${made}")
        if(age LESS 86400)
          continue()
        endif()
      endif()
    endif()
    file(REMOVE_RECURSE ${s})
  endforeach()
endif()

file(REMOVE_RECURSE ${OUT})
file(COPY ${entry}/ DESTINATION ${OUT} PATTERN .complete EXCLUDE)
if(INSTALL)
  file(COPY ${entry}/ DESTINATION ${INSTALL} PATTERN .complete EXCLUDE)
endif()
file(TOUCH ${STAMP})
