# Native build: the core's unit tests, the command-line tool and the benchmarks.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*_test.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE perchlet_core GTest::gtest_main)
target_compile_definitions(unit_tests PRIVATE
  PERCHLET_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_test(NAME unit_tests COMMAND unit_tests)
set_tests_properties(unit_tests PROPERTIES ENVIRONMENT "TZ=UTC")

# The data file tool and its benchmark (the benchmark is run by hand, not by ctest).
add_executable(perchlet-tool tools/perchlet_tool.cpp)
target_link_libraries(perchlet-tool PRIVATE perchlet_core)
add_test(NAME tool_test COMMAND sh ${CMAKE_SOURCE_DIR}/tests/tool/tool_test.sh $<TARGET_FILE:perchlet-tool>)

add_executable(data_file_bench bench/data_file_bench.cpp)
target_link_libraries(data_file_bench PRIVATE perchlet_core)

# Netscape import of a large file against a plain read (run by hand, not by ctest).
add_executable(netscape_bench bench/netscape_bench.cpp)
target_link_libraries(netscape_bench PRIVATE perchlet_core)
