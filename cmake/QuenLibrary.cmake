# quen_library(name DIRS dir... [EXCLUDE dir...] [DEPS lib...] [PRIVATE lib...] [FILES pattern...])
# One static library from every .cpp below the given folders (relative to the
# current source folder), so that adding a file needs no edit of a shared list.
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
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
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
  target_compile_definitions(${exe} PRIVATE
    QUEN_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/${dir}/data"
    QUEN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    QUEN_BUILD_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${exe} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
