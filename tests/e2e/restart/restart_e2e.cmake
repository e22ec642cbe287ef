# A restart whose new world never comes: the player asks for a restart over
# each view it can have open (the data panel, an info panel page and the
# notification panel showing), and the server of the tests answers with the
# restart packet alone, then an autosave request, a notice, a save request and
# the end of a turn, whose results without the world end the wait: the player
# is told that the restarted game did not arrive and is back at the title.
# Whatever the player had open must not read the game that the restart
# deleted, which the sanitizers see, nor show it: the box over the emptied
# screen, whatever was open, is the one golden capture. The design chamber's
# run plays a turn first and loads its autosave at the title after: neither
# the request nor the results of the empty game replaced either half of it.
set(quen_restart_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/restart)
add_executable(quen_lone_restart_server ${quen_restart_dir}/support/lone_restart_server.cpp)
target_link_libraries(quen_lone_restart_server PRIVATE server)
# Beside the client's module, whose string table names the chapters, as the
# real server lies.
set_target_properties(quen_lone_restart_server PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/Game)
set(quen_restart_leaves SAVE/autosave.*,SAVE/asavebak.*,SAVE/lonerestart.*,SAVE/*.rpl,SAVE/*.tlg)
# Quenbar.LoneRestart<NAME> plays SCRIPT.txt of e2e/restart; its server's log
# must tell of the restart (of its last session, as SCRIPT.log has it when
# there is one), and its CAPTURES (comma-separated) match their goldens.
# Further arguments are set in the run's environment.
function(quen_lone_restart_run name script captures)
  set(server_log ${quen_restart_dir}/lone_restart.log)
  if(EXISTS ${quen_restart_dir}/${script}.log)
    set(server_log ${quen_restart_dir}/${script}.log)
  endif()
  add_test(NAME Quenbar.LoneRestart${name}
    COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_restart_dir}/${script}.txt
      -DCAPTURES=${captures} -DGOLDEN=${quen_restart_dir}/golden
      -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DUSERINFO=${CMAKE_CURRENT_SOURCE_DIR}/e2e/game/UserInfo.dat
      -DSERVER_LOG=${server_log} -DLEAVES=${quen_restart_leaves}
      -DINSTALLED=${PROJECT_BINARY_DIR}/gamedata/config/registry.reg
      -DSERVER=$<TARGET_FILE:quen_lone_restart_server> -DCONFIG=${CMAKE_CURRENT_BINARY_DIR}/lone_restart_config
      -DRUN_AND_COMPARE=${CMAKE_CURRENT_SOURCE_DIR}/e2e/frontend/run_and_compare.cmake
      -P ${quen_restart_dir}/run_lone_restart.cmake)
  set(environment QUENSRVR_SEED=7 QUENBAR_SEED=7 ${ARGN})
  set_tests_properties(Quenbar.LoneRestart${name} PROPERTIES TIMEOUT 150
    ENVIRONMENT "${environment}"
    RUN_SERIAL TRUE
    FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error|script line")
endfunction()
# Only the sanitizers see a read of deleted memory; the optimised build plays
# the design chamber's run, the known case, for its waits and its end.
quen_lone_restart_run(OverTheDesignChamber design lone_restarted.png)
if(QUEN_SANITIZE)
  quen_lone_restart_run(OverTheSolarView solar lone_restarted.png)
  quen_lone_restart_run(OverTheAsteroidSpace space lone_restarted.png)
  quen_lone_restart_run(OverTheSurface terrain lone_restarted.png)
  quen_lone_restart_run(OverTheTerrainReplay terrain_replay lone_restarted.png)
  quen_lone_restart_run(OverTheSpaceBattleReplay space_replay lone_restarted.png)
endif()
# Nothing at all follows the restart: after a minute the player is told that
# the restarted game did not arrive and is back on the title screen.
quen_lone_restart_run(WhoseWorldNeverComes silent lone_silent_told.png,lone_silent_title.png
  QUEN_LONE_RESTART_SILENT=1)
