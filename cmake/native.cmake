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
# find, duplicates and check (which asks web servers through libcurl).
find_package(CURL REQUIRED)
add_executable(perchlet-tool tools/perchlet_tool.cpp tools/find_commands.cpp tools/terminal_text.cpp tools/link_check.cpp
               tools/link_transport_curl.cpp)
# libcurl's headers only: the check loads the library when it starts (see link_transport_curl.cpp).
target_include_directories(perchlet-tool PRIVATE ${CURL_INCLUDE_DIRS})
target_link_libraries(perchlet-tool PRIVATE perchlet_core ${CMAKE_DL_LIBS})
add_test(NAME tool_test COMMAND sh ${CMAKE_SOURCE_DIR}/tests/tool/tool_test.sh $<TARGET_FILE:perchlet-tool>)
add_test(NAME tool_find_test COMMAND sh ${CMAKE_SOURCE_DIR}/tests/tool/find_test.sh $<TARGET_FILE:perchlet-tool>)
# The check against web servers on 127.0.0.1 that the test starts itself.
add_test(NAME tool_check_test COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/tool/check_test.py $<TARGET_FILE:perchlet-tool>)
set_tests_properties(tool_check_test PROPERTIES TIMEOUT 120)
# Browsers' own files (Bookmarks, places.sqlite) against Python's json and sqlite3 readings.
add_test(NAME tool_browser_import_test
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/tool/browser_import_test.py $<TARGET_FILE:perchlet-tool>)
set_tests_properties(tool_browser_import_test PROPERTIES TIMEOUT 120 ENVIRONMENT "TZ=UTC")

# The help pages: listed files, links and anchors between them, and a place for every menu item.
add_test(NAME help_check COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/help/check_help.py ${CMAKE_SOURCE_DIR})

add_executable(data_file_bench bench/data_file_bench.cpp)
target_link_libraries(data_file_bench PRIVATE perchlet_core)

# Delete and undo of a folder of 100,000 links: time and what the history holds.
add_executable(undo_bench bench/undo_bench.cpp)
target_link_libraries(undo_bench PRIVATE perchlet_core)

# Netscape import of a large file against a plain read (run by hand, not by ctest).
add_executable(netscape_bench bench/netscape_bench.cpp)
target_link_libraries(netscape_bench PRIVATE perchlet_core)

# libFuzzer targets for the readers of outside input (clang only):
#   CC=clang CXX=clang++ cmake -S . -B build/fuzz -DPERCHLET_FUZZ=ON
option(PERCHLET_FUZZ "Build the fuzz targets (clang)" OFF)
if(PERCHLET_FUZZ)
  set(PERCHLET_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  # clang cannot compile narrow literals as code page 932; the launcher escapes them instead.
  set(PERCHLET_CP932_LAUNCHER ${CMAKE_SOURCE_DIR}/fuzz/cp932_compile.py)
  set_target_properties(perchlet_core PROPERTIES CXX_COMPILER_LAUNCHER ${PERCHLET_CP932_LAUNCHER})
  # The whole core is instrumented; everything linking it (the unit tests too) gets the runtimes.
  target_compile_options(perchlet_core PUBLIC ${PERCHLET_SANITIZERS} -fsanitize=fuzzer-no-link)
  target_link_options(perchlet_core INTERFACE ${PERCHLET_SANITIZERS})
  # The fuzz script makes the data-file seeds with the tool; the unit tests run under the
  # sanitizers here too.
  set_target_properties(perchlet-tool unit_tests PROPERTIES CXX_COMPILER_LAUNCHER ${PERCHLET_CP932_LAUNCHER})
  foreach(reader data_file utf8_data_file netscape csv encoding url_file settings title dde_reply chromium_bookmarks)
    add_executable(${reader}_fuzz fuzz/${reader}_fuzz.cpp)
    target_link_libraries(${reader}_fuzz PRIVATE perchlet_core)
    target_link_options(${reader}_fuzz PRIVATE -fsanitize=fuzzer)
    set_target_properties(${reader}_fuzz PROPERTIES CXX_COMPILER_LAUNCHER ${PERCHLET_CP932_LAUNCHER})
  endforeach()
endif()

# Searching 100,000 items (run by hand, not by ctest).
add_executable(search_bench bench/search_bench.cpp)
target_link_libraries(search_bench PRIVATE perchlet_core)

# Importing 100,000 links from a Bookmarks file and a places.sqlite against a Netscape file
# (run by hand, not by ctest).
add_executable(browser_import_bench bench/browser_import_bench.cpp)
target_link_libraries(browser_import_bench PRIVATE perchlet_core)
