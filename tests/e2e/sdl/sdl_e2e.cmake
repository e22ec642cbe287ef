# A script played in a real window (SDL under Xvfb) on the real clock: its
# captures equal the headless goldens, the display shows what was captured,
# and the sound reaches the audio output. The whole game run the same way
# (run_wholegame_sdl.sh) takes minutes and is run by hand. Leaks are not
# looked for here: the system bus library that SDL's window opens keeps its
# allocations until a shutdown of its own that SDL 2.26 never calls (the
# headless runs look for the program's leaks).
add_test(NAME Quenbar.ScriptInAWindowShowsAndPlaysAsHeadless
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/e2e/sdl/run_window_script.sh $<TARGET_FILE:quenbar>
    ${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR ${CMAKE_CURRENT_SOURCE_DIR}/e2e/frontend/UserInfo.dat
    ${CMAKE_CURRENT_SOURCE_DIR}/e2e/frontend/golden)
set_tests_properties(Quenbar.ScriptInAWindowShowsAndPlaysAsHeadless PROPERTIES TIMEOUT 90
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;ASAN_OPTIONS=detect_leaks=0"
  RUN_SERIAL TRUE PASS_REGULAR_EXPRESSION "played in a window as headless"
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
# Without a window manager a second window of the game takes the keyboard and
# nobody gives it back when it closes: a click in the first window takes it.
add_test(NAME Quenbar.ClickTakesTheKeyboardBackAfterASecondWindow
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/e2e/sdl/run_second_window.sh $<TARGET_FILE:quenbar>
    ${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR ${CMAKE_CURRENT_SOURCE_DIR}/e2e/frontend/UserInfo.dat)
set_tests_properties(Quenbar.ClickTakesTheKeyboardBackAfterASecondWindow PROPERTIES TIMEOUT 150
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;ASAN_OPTIONS=detect_leaks=0"
  RUN_SERIAL TRUE PASS_REGULAR_EXPRESSION "the keyboard came back"
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
# The X server ended under a game in play, and SIGTERM at the title: the
# program ends at once with its code and its reason, its game server with it.
add_test(NAME Quenbar.LostDisplayOrSignalEndsTheGameAtOnce
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/e2e/sdl/run_display_lost.sh $<TARGET_FILE:quenbar>
    ${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR ${CMAKE_CURRENT_SOURCE_DIR}/e2e/game/UserInfo.dat)
set_tests_properties(Quenbar.LostDisplayOrSignalEndsTheGameAtOnce PROPERTIES TIMEOUT 400
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;ASAN_OPTIONS=detect_leaks=0"
  RUN_SERIAL TRUE PASS_REGULAR_EXPRESSION "SIGTERM ended the program at the title"
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
