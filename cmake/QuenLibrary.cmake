# The folders a folder's sources may include from: the row of the longest
# folder of tools/layercheck/layers.txt that holds it (the layer check reads the
# same table).
function(quen_layer_row folder out)
  get_property(rows GLOBAL PROPERTY QUEN_LAYER_ROWS)
  if(NOT rows)
    file(STRINGS ${PROJECT_SOURCE_DIR}/tools/layercheck/layers.txt rows REGEX "^[^#][^:]*:")
    set_property(GLOBAL PROPERTY QUEN_LAYER_ROWS "${rows}")
  endif()
  set(best "")
  set(best_length 0)
  foreach(row IN LISTS rows)
    string(FIND "${row}" ":" colon)
    string(SUBSTRING "${row}" 0 ${colon} key)
    string(LENGTH "${key}" length)
    string(FIND "${folder}/" "${key}/" at)
    if(at EQUAL 0 AND length GREATER best_length)
      math(EXPR start "${colon} + 1")
      string(SUBSTRING "${row}" ${start} -1 best)
      set(best_length ${length})
    endif()
  endforeach()
  if(best_length EQUAL 0)
    message(FATAL_ERROR "${folder}: its folder has no layer in tools/layercheck/layers.txt")
  endif()
  separate_arguments(prefixes UNIX_COMMAND "${best}")
  set(${out} ${prefixes} PARENT_SCOPE)
endfunction()

# quen_layer_includes(target PUBLIC|PRIVATE folder...)
# Gives the target an include folder of its own in the build tree that holds
# only the project folders its layers allow (links to them), so an include
# from a higher layer fails to compile.
function(quen_layer_includes target visibility)
  set(prefixes)
  foreach(folder IN LISTS ARGN)
    quen_layer_row(${folder} row)
    list(APPEND prefixes ${row})
  endforeach()
  list(REMOVE_DUPLICATES prefixes)
  list(SORT prefixes)
  set(root ${PROJECT_BINARY_DIR}/layers/${target})
  file(REMOVE_RECURSE ${root})
  set(linked)
  foreach(p IN LISTS prefixes)
    # A folder already given whole holds this one.
    set(covered FALSE)
    foreach(l IN LISTS linked)
      string(FIND "${p}/" "${l}/" at)
      if(at EQUAL 0)
        set(covered TRUE)
      endif()
    endforeach()
    if(covered)
      continue()
    endif()
    get_filename_component(parent ${root}/${p} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${p} ${root}/${p} SYMBOLIC)
    list(APPEND linked ${p})
  endforeach()
  target_include_directories(${target} ${visibility} ${root})
endfunction()

# quen_library(name DIRS dir... [EXCLUDE dir...] [DEPS lib...] [PRIVATE lib...] [FILES pattern...])
# One static library from every .cpp below the given folders (relative to the
# current source folder), so that adding a file needs no edit of a shared list.
# Its include path holds only what its folders' layers allow (quen_layer_includes).
# DEPS are the project libraries it builds on (public: its headers name them);
# PRIVATE are third-party libraries only its own sources use. FILES narrows the
# sources to the given glob patterns instead of whole folders; EXCLUDE leaves
# out subfolders (relative to the current source folder) that build on their own.
function(quen_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;EXCLUDE;DEPS;PRIVATE;FILES" ${ARGN})
  set(sources)
  set(folders)
  foreach(dir IN LISTS ARG_DIRS)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${dir})
    list(APPEND folders ${folder})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.c)
    list(APPEND sources ${found})
  endforeach()
  foreach(pattern IN LISTS ARG_FILES)
    get_filename_component(dir ${CMAKE_CURRENT_SOURCE_DIR}/${pattern} DIRECTORY)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${dir})
    list(APPEND folders ${folder})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
    list(APPEND sources ${found})
  endforeach()
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${ex}/")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    quen_layer_includes(${name} PUBLIC ${folders})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE})
  else()
    add_library(${name} INTERFACE)
    quen_layer_includes(${name} INTERFACE ${folders})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# quen_build_paths(target data_dir)
# The folders a test or benchmark program reads from (tests/support/build_paths.h),
# in one generated file of its own rather than on every file's command line:
# the rest then compiles to the same objects in a checkout in another folder,
# and the compiler cache finds them.
function(quen_build_paths target data_dir)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/build_paths/${target}.cpp)
  file(CONFIGURE OUTPUT ${out} CONTENT "namespace quentest {
const char* SourceDir() { return \"@PROJECT_SOURCE_DIR@\"; }
const char* BuildDir() { return \"@PROJECT_BINARY_DIR@\"; }
const char* TestDataDir() { return \"@data_dir@\"; }
}  // namespace quentest
" @ONLY)
  target_sources(${target} PRIVATE ${out})
  target_compile_options(${target} PRIVATE -include ${PROJECT_SOURCE_DIR}/tests/support/build_paths.h)
endfunction()

# quen_test_dir(dir DEPS lib...)
# One GoogleTest executable per folder of tests, named after the folder path.
function(quen_test_dir dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  string(REPLACE "/" "_" exe "${dir}_tests")
  add_executable(${exe} ${sources})
  target_link_libraries(${exe} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  quen_build_paths(${exe} "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/data")
  gtest_discover_tests(${exe} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
