# The whole-game acceptance runs: one single-player game from the main screen
# to the high-score table against the real server, played twice and compared
# with its goldens, and the same game meeting the faults a player could meet.
# Each starts from the game runs' settings file (frame animations off).
set(quen_wg_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/wholegame)
set(quen_wg_leaves SAVE/autosave.*,SAVE/asavebak.*,SAVE/wholegame.*)
# Quenbar.NAME runs SCRIPT.txt of e2e/wholegame RUNS times; the rest of the
# arguments go to run_wholegame.cmake as they are (-DCAPTURES=..., ...).
function(quen_wholegame_run name script runs)
  add_test(NAME Quenbar.${name}
    COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_wg_dir}/${script}.txt
      -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_wg_dir}/golden
      -DUSERINFO=${CMAKE_CURRENT_SOURCE_DIR}/e2e/game/UserInfo.dat -DLEAVES=${quen_wg_leaves} -DRUNS=${runs}
      -DREGISTRY=${PROJECT_BINARY_DIR}/gamedata/config/registry.reg ${ARGN} -P ${quen_wg_dir}/run_wholegame.cmake)
  set_tests_properties(Quenbar.${name} PROPERTIES TIMEOUT 400
    ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;QUENSRVR_SEED=7;QUENBAR_SEED=7"
    RUN_SERIAL TRUE
    FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
endfunction()
# The game: set up on the front-end screens (40 asteroids, two chapters a
# guild, so that a computer guild mate offers minerals, easy computer
# chapters, "biggest is best" in 20 turns, fog of war, low starting
# resources, average ground forces, homes on any orbit), played with the game
# screen's dialogs, menus and orders (settings, the high scores viewed, goto
# groups, F1, order menus, context help, a design saved and built, power
# transferred, a survey, a scan, moves by the height target and in solar
# space, ATVs moved on the surface and a facility built with them, ATVs
# ordered, the default, a unit's and a group's battle plans, a sale, a
# purchase, a ship offer, chat, a note, find asteroid), saved from the options menu, left for the main screen, loaded
# from the load screen, a formation move to a computer chapter's home, a
# scan of its ship there and an attack on it, a combat ATV landed there and
# sent into a zone of its owner, the space battle and the terrain battle there replayed from
# their notices to their ends, and played to its end: the summary, the
# high-score table placed and "hiscore.dat" written. The server's log must
# tell of each order and trade taken (wholegame.log), and the game data after
# the load must be what was saved. Played twice: both runs must equal the goldens byte for byte; under
# the sanitizers once.
set(quen_wg_runs 2)
if(QUEN_SANITIZE)
  set(quen_wg_runs 1)
endif()
quen_wholegame_run(WholeGameFromTheMainScreenToTheHighScores wholegame ${quen_wg_runs}
  -DCAPTURES=wg_config.png,wg_guild.png,wg_fog.png,wg_starting_values.png,wg_start.png,wg_settings.png,wg_hiscore_viewed.png,wg_hiscore_closed.png,wg_order_menu.png,wg_context_help.png,wg_design_name.png,wg_scan.png,wg_build.png,wg_height.png,wg_default_plans.png,wg_unit_plan.png,wg_group_plan.png,wg_sell.png,wg_chat.png,wg_note.png,wg_notes_page.png,wg_ship_offer.png,wg_terrain_order.png,wg_turn5.png,wg_zone_menu.png,wg_facility.png,wg_atvs.png,wg_solar_move.png,wg_abort_question.png,wg_main_screen.png,wg_load_screen.png,wg_loaded.png,wg_formation.png,wg_found.png,wg_scan_enemy.png,wg_attack.png,wg_landing.png,wg_terrain_attack.png,wg_battle_start.png,wg_battle_slow.png,wg_battle_complete.png,wg_terrain_battle_start.png,wg_terrain_battle_fire.png,wg_terrain_battle_end.png,wg_turn19.png,wg_buy.png,wg_bought.png,wg_summary.png,wg_summary_page2.png,wg_hiscore.png,wg_main_after.png
  -DHISCORE=${quen_wg_dir}/golden/hiscore.dat -DHISCORE_START=NONE
  -DTAKEN=${quen_wg_dir}/wholegame.log -DMODELS=wg_model_saved.bin,wg_model_loaded.bin)
# The same game over a damaged "hiscore.dat" (a record of impossible values,
# then a torn one): the game still ends with a table, the new row placed
# under what could be read, and the file written whole.
quen_wholegame_run(WholeGameEndsWithATableOverADamagedHighScoreFile wholegame 1
  -DCAPTURES=wg_hiscore.png -DGOLDEN=${quen_wg_dir}/golden/damaged_hiscore
  -DHISCORE=${quen_wg_dir}/golden/damaged_hiscore/hiscore.dat -DHISCORE_START=${quen_wg_dir}/data/hiscore_damaged.dat)
# A damaged saved game (both halves cut short) chosen on the load screen: the
# client and the server refuse to load it, the player is told "Invalid Load
# File" once and is back on a clean main screen.
quen_wholegame_run(DamagedSaveRefusedWithItsMessage damaged_save 1
  -DCAPTURES=wg_damaged_listed.png,wg_main_screen.png -DSAVES=${quen_wg_dir}/data/damaged.clt,${quen_wg_dir}/data/damaged.svr
  -DLEAVES=SAVE/damaged.*,${quen_wg_leaves} -DTOLD_TO_QUIT=1
  "-DREFUSALS=refused packet 7 from player [0-9]+: the server file could not be loaded")
# The server killed while the player waits on the second end of turn: the
# player is told "We've lost contact with the server..." once, and the program
# ends by itself once the box is closed (status 0, not told to by the script).
quen_wholegame_run(LostServerEndsTheProgramAfterItsBox lost_server 1
  "-DKILL_SERVER_AT=turn 1 resolved")
# The space battle's replay file deleted once the battle's turn has come in:
# its notice switches to the battle's asteroid space, and the player leaves
# for the main screen.
quen_wholegame_run(WholeGameBattleWithoutItsReplayFile without_replay 1
  -DCAPTURES=wg_no_replay.png -DDELETE_REPLAYS_AT=wg_rpl_marker.png)
