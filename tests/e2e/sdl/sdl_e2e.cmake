# Runs in a real window (SDL under Xvfb) on the real clock. The sanitizer
# build tells what the system's libraries under SDL keep from the program's
# leaks (Game/main/LeakCheck.h): any leak of the program fails the run.
# quen_window_run(NAME RUNNER USERINFO_DIR TIMEOUT PASSED [ARGS...]): the
# runner of e2e/sdl with the program, the installation and a settings file,
# passing when it prints PASSED.
function(quen_window_run name runner userinfo_dir timeout passed)
  add_test(NAME Quenbar.${name}
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/e2e/sdl/${runner} $<TARGET_FILE:quenbar>
      ${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${userinfo_dir}/UserInfo.dat ${ARGN})
  set_tests_properties(Quenbar.${name} PROPERTIES TIMEOUT ${timeout}
    ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config"
    RUN_SERIAL TRUE PASS_REGULAR_EXPRESSION "${passed}"
    FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
endfunction()
# A script's captures equal the headless goldens, the display shows what was
# captured, and the sound reaches the audio output. The whole game run the
# same way (run_wholegame_sdl.sh) takes minutes and is run by hand.
quen_window_run(ScriptInAWindowShowsAndPlaysAsHeadless run_window_script.sh frontend 90
  "played in a window as headless" ${CMAKE_CURRENT_SOURCE_DIR}/e2e/frontend/golden)
# Without a window manager a second window of the game takes the keyboard and
# nobody gives it back when it closes: a click in the first window takes it.
quen_window_run(ClickTakesTheKeyboardBackAfterASecondWindow run_second_window.sh frontend 150
  "the keyboard came back")
# The X server ended under a game in play, and SIGTERM at the title: the
# program ends at once with its code and its reason, its game server with it.
quen_window_run(LostDisplayOrSignalEndsTheGameAtOnce run_display_lost.sh game 400
  "SIGTERM ended the program at the title")
# The X server ended at moments spread over the program's first second, as
# it opens its window: each try ends at once with 5 or 6 and its reason.
quen_window_run(ADisplayLostAsTheWindowOpensEndsTheProgram run_display_lost_early.sh frontend 120
  "every early loss ended the program with its code")
