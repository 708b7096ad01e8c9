# Windows build: the program, the in-process window tests and the end-to-end tests,
# all run under Wine by ctest.
enable_language(RC)
set(CMAKE_RC_FLAGS "-c 65001 -I${CMAKE_SOURCE_DIR}/src/shell -I${CMAKE_SOURCE_DIR}/resources -I${CMAKE_BINARY_DIR}/generated")
# No link time in the PE header, so two builds of one commit are the same bytes.
set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600 _WIN32_IE=0x0600)

set(WIN_LIBS comctl32 comdlg32 shell32 ole32 oleaut32 uuid gdi32 user32 advapi32 wininet winhttp ws2_32)

file(GLOB SHELL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/*_win.cpp)
add_library(perchlet_shell STATIC ${SHELL_SOURCES})
target_link_libraries(perchlet_shell PUBLIC perchlet_core ${WIN_LIBS})

set(RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/resources/perchlet.rc)
file(GLOB RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/icons/*.ico ${CMAKE_SOURCE_DIR}/resources/*.manifest
     ${CMAKE_SOURCE_DIR}/resources/*.bmp ${CMAKE_SOURCE_DIR}/resources/*.rc ${CMAKE_SOURCE_DIR}/src/shell/command_ids.h
     ${CMAKE_BINARY_DIR}/generated/perchlet_version.h)
set_source_files_properties(${RESOURCE_SCRIPT} PROPERTIES OBJECT_DEPENDS "${RESOURCE_FILES}")

add_executable(perchlet WIN32 src/app/winmain.cpp ${RESOURCE_SCRIPT})
target_link_libraries(perchlet PRIVATE perchlet_shell)
target_link_options(perchlet PRIVATE -municode)

# The help file, compiled from help/ by chmcmd (fp-utils), lands beside perchlet.exe.
set(HELP_FILE ${CMAKE_BINARY_DIR}/perchlet.chm)
file(GLOB HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/* ${CMAKE_SOURCE_DIR}/docs/images/*.png)
add_custom_command(OUTPUT ${HELP_FILE}
                   COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/build_help.sh ${CMAKE_SOURCE_DIR}/help ${HELP_FILE}
                   DEPENDS ${HELP_SOURCES} ${CMAKE_SOURCE_DIR}/scripts/build_help.sh VERBATIM)
add_custom_target(perchlet_help DEPENDS ${HELP_FILE})
add_dependencies(perchlet perchlet_help)

add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine_run.sh)

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(win_tests ${WIN_TEST_SOURCES} tests/servers/loopback_http_server.cpp ${RESOURCE_SCRIPT})
target_link_libraries(win_tests PRIVATE perchlet_shell gtest ws2_32)
target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win ${CMAKE_SOURCE_DIR}/tests/unit ${CMAKE_SOURCE_DIR}/tests/servers)
target_compile_definitions(win_tests PRIVATE PERCHLET_HELP_FILE="${HELP_FILE}"
                           PERCHLET_PROGRAM_FILE="$<TARGET_FILE:perchlet>" PERCHLET_TOOL_FILE="$<TARGET_FILE:perchlet-tool>")
add_dependencies(win_tests perchlet_help perchlet perchlet-tool)
add_test(NAME win_tests COMMAND ${WINE_RUN} $<TARGET_FILE:win_tests>)
set_tests_properties(win_tests PROPERTIES TIMEOUT 1500 ENVIRONMENT "PERCHLET_EXPECT_ACP=932")
# The same texts must come out right when Wine runs in a language other than Japanese.
add_test(NAME win_tests_english_locale
         COMMAND ${WINE_RUN} $<TARGET_FILE:win_tests> --gtest_filter=Menus.*:Locale.*:MainWindow.JapaneseTitles*:MainWindow.AboutDialog*:OptionsPanel.*)
set_tests_properties(win_tests_english_locale PROPERTIES TIMEOUT 600
                     ENVIRONMENT "LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8;PERCHLET_EXPECT_ACP=1252")

# The window tests again at 125 %, 150 % and 200 %, each in a fresh prefix of that scale.
foreach(dpi 120 144 192)
  add_test(NAME win_tests_scale_${dpi}
           COMMAND ${CMAKE_SOURCE_DIR}/tests/win/scale_test.sh $<TARGET_FILE:win_tests> ${dpi} ${CMAKE_BINARY_DIR}/artifacts)
  set_tests_properties(win_tests_scale_${dpi} PROPERTIES TIMEOUT 300)
endforeach()

# The update check over 1,000 links on a slow loopback server (run by hand, not by ctest).
add_executable(update_check_bench bench/update_check_bench.cpp tests/servers/loopback_http_server.cpp)
target_link_libraries(update_check_bench PRIVATE perchlet_shell ws2_32)
target_include_directories(update_check_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/servers)
# A stand-in browser for the tests, copied to every file name the program tells browsers by.
add_executable(test_browser WIN32 tests/browser/test_browser.cpp)
target_link_libraries(test_browser PRIVATE perchlet_core user32 shell32)
foreach(name iexplore netscp netscape opera firefox mozilla sleipnir otherbrowser chrome msedge brave vivaldi chromium)
  add_custom_command(TARGET test_browser POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:test_browser> ${CMAKE_BINARY_DIR}/browsers/${name}.exe)
endforeach()
add_dependencies(win_tests test_browser)
# Holds a places.sqlite open with a WAL, as a running Firefox does, for the browser import test.
add_executable(places_holder tests/places_holder/places_holder.cpp)
target_link_libraries(places_holder PRIVATE perchlet_sqlite)
target_link_options(places_holder PRIVATE -municode)
add_dependencies(win_tests places_holder)
# Owns the clipboard with a format it renders late, and then answers nothing.
add_executable(clipboard_owner WIN32 tests/clipboard_owner/clipboard_owner.cpp)
add_dependencies(win_tests clipboard_owner)

file(GLOB E2E_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
add_executable(e2e_tests ${E2E_TEST_SOURCES})
target_link_libraries(e2e_tests PRIVATE perchlet_core gtest ${WIN_LIBS})
add_dependencies(e2e_tests perchlet test_browser)
add_test(NAME e2e_tests COMMAND ${WINE_RUN} $<TARGET_FILE:e2e_tests>
         --perchlet=$<TARGET_FILE:perchlet> --artifacts=${CMAKE_BINARY_DIR}/artifacts)
set_tests_properties(e2e_tests PROPERTIES TIMEOUT 600)
add_test(NAME e2e_drag_drop COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/drag_drop_test.sh
         $<TARGET_FILE:perchlet> ${CMAKE_BINARY_DIR}/artifacts)
set_tests_properties(e2e_drag_drop PROPERTIES TIMEOUT 300)
# The editor panel's title fetch and the update check, clicked with the real mouse.
add_executable(window_probe tests/e2e/tools/window_probe.cpp)
# Walks the real program through the views the README and the help show (scripts/screenshots.sh).
add_executable(screenshot_tour tests/e2e/tools/screenshot_tour.cpp tests/e2e/e2e_support.cpp)
target_link_libraries(screenshot_tour PRIVATE perchlet_core ${WIN_LIBS})
target_include_directories(screenshot_tour PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e)
target_link_options(screenshot_tour PRIVATE -municode)
target_link_options(window_probe PRIVATE -municode)
add_test(NAME e2e_web COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/web_test.sh
         $<TARGET_FILE:perchlet> $<TARGET_FILE:window_probe> ${CMAKE_BINARY_DIR}/artifacts)
set_tests_properties(e2e_web PROPERTIES TIMEOUT 300)
# Beside a real notification area (trayer): panel, hide, screen edge, tray menu.
add_test(NAME e2e_tray COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/tray_test.sh
         $<TARGET_FILE:perchlet> ${CMAKE_BINARY_DIR}/artifacts)
set_tests_properties(e2e_tray PROPERTIES TIMEOUT 300)
# The data file changed behind the program's back by the Windows build of the tool.
add_test(NAME e2e_disk_change COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/disk_change_test.sh
         $<TARGET_FILE:perchlet> $<TARGET_FILE:perchlet-tool> $<TARGET_FILE:window_probe> ${CMAKE_BINARY_DIR}/artifacts)
set_tests_properties(e2e_disk_change PROPERTIES TIMEOUT 300)
add_test(NAME e2e_open_link COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/open_link_test.sh
         $<TARGET_FILE:perchlet> ${CMAKE_BINARY_DIR}/browsers ${CMAKE_BINARY_DIR}/artifacts)
set_tests_properties(e2e_open_link PROPERTIES TIMEOUT 300)

# The command-line tool as a console program: the core only, no Win32 shell.
# check carries its requests through WinHTTP here.
add_executable(perchlet-tool tools/perchlet_tool.cpp tools/find_commands.cpp tools/terminal_text.cpp tools/link_check.cpp
               src/web/link_transport_win.cpp tools/perchlet-tool.rc)
target_link_libraries(perchlet-tool PRIVATE perchlet_core winhttp)
target_link_options(perchlet-tool PRIVATE -static)
set_source_files_properties(tools/perchlet-tool.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/tools/perchlet-tool.manifest)
# The console tool as a Windows program reads a real browser's file.
add_test(NAME tool_windows
         COMMAND ${WINE_RUN} $<TARGET_FILE:perchlet-tool> show tests/data/corpus/html/firefox-2024_radam9_bookmarks_firefox.html
         WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(tool_windows PROPERTIES TIMEOUT 300
                     PASS_REGULAR_EXPRESSION "Bookmarks Toolbar\tfolder")

# The console tool as a Windows program reads a Chromium Bookmarks file, JSON and all.
add_test(NAME tool_windows_browser_file
         COMMAND ${WINE_RUN} $<TARGET_FILE:perchlet-tool> show tests/data/browsers/Bookmarks
         WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(tool_windows_browser_file PROPERTIES TIMEOUT 300
                     PASS_REGULAR_EXPRESSION "もっと深い\tfolder")

# Open-time benchmark of the real program under Wine (run by hand: bench/open_time.sh).
add_executable(open_time_bench bench/open_time_bench.cpp)
target_link_libraries(open_time_bench PRIVATE psapi user32)
target_link_options(open_time_bench PRIVATE -municode)
# Paths outside the ANSI code page, replaced files and links in a favorites target, under Wine.
# check under Wine against the Linux tool (built first by scripts/test.sh) on the same servers.
set(PERCHLET_NATIVE_TOOL ${CMAKE_SOURCE_DIR}/build/native/perchlet-tool CACHE FILEPATH "The Linux build of perchlet-tool")
add_test(NAME tool_windows_check
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/tool/check_windows_test.py ${PERCHLET_NATIVE_TOOL} $<TARGET_FILE:perchlet-tool>)
set_tests_properties(tool_windows_check PROPERTIES TIMEOUT 300)
add_test(NAME tool_windows_paths
         COMMAND ${CMAKE_SOURCE_DIR}/tests/tool/tool_windows_test.sh $<TARGET_FILE:perchlet-tool>)
set_tests_properties(tool_windows_paths PROPERTIES TIMEOUT 300)

# The release package as a user meets it (scripts/package.sh makes the zip; scripts/test.sh runs
# tests/package/package_test.sh on it).
add_executable(package_tests tests/package/package_test.cpp tests/e2e/e2e_main.cpp tests/e2e/e2e_support.cpp)
target_link_libraries(package_tests PRIVATE perchlet_core gtest ${WIN_LIBS})
target_include_directories(package_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e)
