# Helpers shared by the folders' CMakeLists.

# velmora_test(NAME SOURCES... LIBS lib...)
# One GoogleTest executable registered with CTest; its cases are listed one
# by one so that ctest reports each.
function(velmora_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # Where the shipped files and the sources are, for tests that read them.
  target_compile_definitions(${name} PRIVATE
    VELMORA_TEST_BIN_DIR="${VELMORA_BIN_DIR}" VELMORA_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  include(GoogleTest)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ENVIRONMENT "VELMORA_BIN_DIR=${VELMORA_BIN_DIR}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# velmora_dll(TARGET FILE_NAME SOURCES...)
# An in-process server of this system: a shared library whose file name and
# soname are the platform's library name (for example "velmora.dll"), so the
# library loader finds it by that bare name.
function(velmora_dll target file_name)
  add_library(${target} SHARED ${ARGN})
  get_filename_component(stem ${file_name} NAME_WE)
  get_filename_component(ext ${file_name} EXT)
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${stem} SUFFIX ${ext}
    NO_SONAME ON
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_link_options(${target} PRIVATE "-Wl,-soname,${file_name}" "-Wl,--no-undefined")
endfunction()
