# Windows build: the program, the in-process window tests and the end-to-end tests,
# all run under Wine by ctest.
enable_language(RC)
set(CMAKE_RC_FLAGS "-c 65001 -I${CMAKE_SOURCE_DIR}/src/app -I${CMAKE_SOURCE_DIR}/resources")
set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static -static-libgcc -static-libstdc++")
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600 _WIN32_IE=0x0600)

set(WIN_LIBS comctl32 comdlg32 shell32 ole32 uuid gdi32 user32 advapi32 wininet)

file(GLOB SHELL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/*_win.cpp)
add_library(perchlet_shell STATIC ${SHELL_SOURCES})
target_link_libraries(perchlet_shell PUBLIC perchlet_core ${WIN_LIBS})

set(RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/resources/perchlet.rc)
file(GLOB RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/icons/*.ico
     ${CMAKE_SOURCE_DIR}/resources/*.bmp ${CMAKE_SOURCE_DIR}/src/app/command_ids.h)
set_source_files_properties(${RESOURCE_SCRIPT} PROPERTIES OBJECT_DEPENDS "${RESOURCE_FILES}")

add_executable(perchlet WIN32 src/app/winmain.cpp ${RESOURCE_SCRIPT})
target_link_libraries(perchlet PRIVATE perchlet_shell)
target_link_options(perchlet PRIVATE -municode)

add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine_run.sh)

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(win_tests ${WIN_TEST_SOURCES} ${RESOURCE_SCRIPT})
target_link_libraries(win_tests PRIVATE perchlet_shell gtest)
target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)
add_test(NAME win_tests COMMAND ${WINE_RUN} $<TARGET_FILE:win_tests>)
set_tests_properties(win_tests PROPERTIES TIMEOUT 600 ENVIRONMENT "PERCHLET_EXPECT_ACP=932")
# The same texts must come out right when Wine runs in a language other than Japanese.
add_test(NAME win_tests_english_locale
         COMMAND ${WINE_RUN} $<TARGET_FILE:win_tests> --gtest_filter=Menus.*:Locale.*:MainWindow.JapaneseTitles*:MainWindow.AboutDialog*)
set_tests_properties(win_tests_english_locale PROPERTIES TIMEOUT 600
                     ENVIRONMENT "LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8;PERCHLET_EXPECT_ACP=1252")

file(GLOB E2E_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
add_executable(e2e_tests ${E2E_TEST_SOURCES})
target_link_libraries(e2e_tests PRIVATE perchlet_core gtest ${WIN_LIBS})
add_dependencies(e2e_tests perchlet)
add_test(NAME e2e_tests COMMAND ${WINE_RUN} $<TARGET_FILE:e2e_tests>
         --perchlet=$<TARGET_FILE:perchlet> --artifacts=${CMAKE_BINARY_DIR}/artifacts)
set_tests_properties(e2e_tests PROPERTIES TIMEOUT 600)
add_test(NAME e2e_drag_drop COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/drag_drop_test.sh
         $<TARGET_FILE:perchlet> ${CMAKE_BINARY_DIR}/artifacts)
set_tests_properties(e2e_drag_drop PROPERTIES TIMEOUT 300)

# The command-line tool as a console program: the core only, no Win32 shell.
add_executable(perchlet-tool tools/perchlet_tool.cpp)
target_link_libraries(perchlet-tool PRIVATE perchlet_core)
target_link_options(perchlet-tool PRIVATE -static)
# The console tool as a Windows program reads a real browser's file.
add_test(NAME tool_windows
         COMMAND ${WINE_RUN} $<TARGET_FILE:perchlet-tool> show tests/data/corpus/html/firefox-2024_radam9_bookmarks_firefox.html
         WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(tool_windows PROPERTIES TIMEOUT 300
                     PASS_REGULAR_EXPRESSION "Bookmarks Toolbar\tfolder")
# Paths outside the ANSI code page, replaced files and links in a favorites target, under Wine.
add_test(NAME tool_windows_paths
         COMMAND ${CMAKE_SOURCE_DIR}/tests/tool/tool_windows_test.sh $<TARGET_FILE:perchlet-tool>)
set_tests_properties(tool_windows_paths PROPERTIES TIMEOUT 300)
