# The surface in a longer game against the real server: ATVs built by a
# zone's facility, picked up, flown to another asteroid and landed there, the
# landing replayed, and a computer chapter's attack on the home's ATVs
# replayed to its end; compared with golden captures
# (tests/e2e/terrain/refresh_goldens.sh takes them again).
set(quen_terrain_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/terrain)
function(quen_terrain_run name script captures)
  add_test(NAME Quenbar.${name}
    COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_terrain_dir}/${script}.txt
      -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_terrain_dir}/golden
      -DCAPTURES=${captures}
      -DUSERINFO=${quen_game_dir}/UserInfo.dat -DSERVER_LOG=${quen_terrain_dir}/${script}.log
      -DLEAVES=SAVE/autosave.*,SAVE/asavebak.*
      -P ${quen_fe_dir}/run_and_compare.cmake)
  set_tests_properties(Quenbar.${name} PROPERTIES TIMEOUT 150
    ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;QUENSRVR_SEED=7;QUENBAR_SEED=7"
    RUN_SERIAL TRUE
    FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
endfunction()
quen_terrain_run(TerrainAtvsLandedAndABattleReplayed atv_landing
  terrain_facility.png,terrain_zone_built.png,terrain_pickup_bar.png,terrain_landing_bar.png,terrain_replay_landing.png,terrain_replay_end.png,terrain_landed.png,terrain_battle_start.png,terrain_battle_fire.png,terrain_battle_end.png,terrain_home_held.png)
