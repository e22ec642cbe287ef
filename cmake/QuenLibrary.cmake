# quen_layer_row(folder out [out_folder])
# The folders a folder's sources may include from: the row of the longest
# folder of tools/layercheck/layers.txt that holds it (the layer check reads the
# same table); that longest folder in out_folder when given.
function(quen_layer_row folder out)
  get_property(rows GLOBAL PROPERTY QUEN_LAYER_ROWS)
  if(NOT rows)
    file(STRINGS ${PROJECT_SOURCE_DIR}/tools/layercheck/layers.txt rows REGEX "^[^#][^:]*:")
    set_property(GLOBAL PROPERTY QUEN_LAYER_ROWS "${rows}")
  endif()
  set(best "")
  set(best_key "")
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
      set(best_key "${key}")
    endif()
  endforeach()
  if(best_length EQUAL 0)
    message(FATAL_ERROR "${folder}: its folder has no layer in tools/layercheck/layers.txt")
  endif()
  separate_arguments(prefixes UNIX_COMMAND "${best}")
  set(${out} ${prefixes} PARENT_SCOPE)
  if(ARGC GREATER 2)
    set(${ARGV2} ${best_key} PARENT_SCOPE)
  endif()
endfunction()

# quen_layer_root(folder out)
# The include folder, in the build tree, of the sources of one project folder:
# links to only the project folders its row allows, so an include from a higher
# layer fails to compile. Folders of one row share it.
function(quen_layer_root folder out)
  set(row_folder "")
  quen_layer_row(${folder} prefixes row_folder)
  string(REPLACE "/" "." name "${row_folder}")
  set(root ${PROJECT_BINARY_DIR}/layers/${name})
  set(${out} ${root} PARENT_SCOPE)
  get_property(made GLOBAL PROPERTY QUEN_LAYER_ROOTS_MADE)
  if(NOT made)
    # Roots of an earlier configuration may have other names: none stays.
    file(REMOVE_RECURSE ${PROJECT_BINARY_DIR}/layers)
  elseif(root IN_LIST made)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY QUEN_LAYER_ROOTS_MADE ${root})
  list(REMOVE_DUPLICATES prefixes)
  list(SORT prefixes)
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
endfunction()

# quen_layer_includes(target folder)
# Compiles every source of a program with the include folder of its own folder
# (quen_layer_root).
function(quen_layer_includes target folder)
  quen_layer_root(${folder} root)
  target_include_directories(${target} PRIVATE ${root})
endfunction()

# quen_library(name DIRS dir... [EXCLUDE dir...] [DEPS lib...] [PRIVATE lib...] [FILES pattern...])
# One static library from every .cpp below the given folders (relative to the
# current source folder), so that adding a file needs no edit of a shared list.
# Each source compiles with the include folder of its own folder's row
# (quen_layer_root), not the union of the library's folders, and a library
# hands none of them on: the libraries built on it reach its headers through
# their own rows. So neither a folder of a library of several rows nor a
# library above it can include from a folder its row does not allow.
# DEPS are the project libraries it builds on (public: its headers name them);
# PRIVATE are third-party libraries only its own sources use. FILES narrows the
# sources to the given glob patterns instead of whole folders; EXCLUDE leaves
# out subfolders (relative to the current source folder) that build on their own.
function(quen_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;EXCLUDE;DEPS;PRIVATE;FILES" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.c)
    list(APPEND sources ${found})
  endforeach()
  foreach(pattern IN LISTS ARG_FILES)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
    list(APPEND sources ${found})
  endforeach()
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${ex}/")
  endforeach()
  if(NOT sources)
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE})
  # One include folder per source folder (a folder's subfolders may sit in
  # another row).
  foreach(src IN LISTS sources)
    get_filename_component(dir ${src} DIRECTORY)
    if(NOT DEFINED "root_of_${dir}")
      file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${dir})
      quen_layer_root(${folder} "root_of_${dir}")
    endif()
    set_property(SOURCE ${src} APPEND PROPERTY INCLUDE_DIRECTORIES ${root_of_${dir}})
  endforeach()
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

# quen_test_dir(dir DEPS lib... [PROPERTIES name value...])
# One GoogleTest executable per folder of tests, named after the folder path;
# the properties are given to each of its tests.
function(quen_test_dir dir)
  cmake_parse_arguments(ARG "" "" "DEPS;PROPERTIES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  string(REPLACE "/" "_" exe "${dir}_tests")
  add_executable(${exe} ${sources})
  target_link_libraries(${exe} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  quen_build_paths(${exe} "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/data")
  gtest_discover_tests(${exe} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ${ARG_PROPERTIES})
endfunction()
