# quen_library(name DIR dir [EXCLUDE subdir...] [DEPS lib...])
# One static library from every .cpp below a folder, so that adding a file needs no
# edit of a shared list. Subfolders named in EXCLUDE build libraries of their own.
function(quen_library name)
  cmake_parse_arguments(ARG "" "DIR" "EXCLUDE;DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp ${ARG_DIR}/*.c)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${ARG_DIR}/${ex}/")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
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
    QUEN_BUILD_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${exe} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
