# A late game (the default world played by the computer to turn 150) loaded
# from the scenario list: the screens with many chapters, long lists and the
# figures of a long game, compared with golden captures.
set(quen_late_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/lategame)
add_test(NAME Quenbar.LateGameScreens
  COMMAND ${CMAKE_COMMAND} -DLATEGAME=$<TARGET_FILE:quenlategame> -DRULES=${PROJECT_BINARY_DIR}/data/rules
    -DMODULE=${PROJECT_BINARY_DIR}/Game/quenbar.dll -DOUT=${PROJECT_BINARY_DIR}/lategame -DTURNS=150
    -DRUNNER=${quen_fe_dir}/run_and_compare.cmake
    -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_late_dir}/late_game.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_late_dir}/golden
    -DCAPTURES=late_solar.png,late_data.png,late_designs.png,late_ships.png,late_status.png,late_personal.png,late_trade.png,late_space.png
    -DUSERINFO=${quen_game_dir}/UserInfo.dat -DSERVER_LOG=${quen_late_dir}/late_game.log
    -DLEAVES=SAVE/autosave.*,SAVE/asavebak.*
    -P ${quen_late_dir}/run_late_game.cmake)
set_tests_properties(Quenbar.LateGameScreens PROPERTIES TIMEOUT 150
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;QUENSRVR_SEED=7;QUENBAR_SEED=7"
  RUN_SERIAL TRUE
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
