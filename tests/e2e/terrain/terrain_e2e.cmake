# The surface in a longer game against the real server: ATVs built by a
# zone's facility, picked up, flown to another asteroid and landed there, the
# landing replayed, and the home's surface after a computer chapter's
# warships fought in its space; compared with golden captures
# (tests/e2e/refresh_goldens.sh takes them again).
set(quen_game_run_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/terrain)
quen_game_run(TerrainAtvsLandedAndTheirLandingReplayed atv_landing
  terrain_facility.png,terrain_zone_built.png,terrain_pickup_bar.png,terrain_landing_bar.png,terrain_replay_landing.png,terrain_replay_end.png,terrain_landed.png,terrain_home_held.png
  atv_landing SAVE/autosave.*,SAVE/asavebak.*)
# A Golden Order ship built with a bombard, flown to another guild's home and
# told to bombard it from its menu; the asteroid's terrain replay shows the
# shots coming down on its zones.
quen_game_run(TerrainBombardedAndReplayed bombardment
  bombard_menu.png,bombard_ordered.png,bombard_notices.png,bombard_replay_shots.png,bombard_replay_struck.png
  bombardment SAVE/autosave.*,SAVE/asavebak.*,SAVE/*.rpl,SAVE/*.tlg)
unset(quen_game_run_dir)
# Recover ATVs left by the bar's Done (with its tip), by S and by Enter.
set(quen_game_run_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/terrain)
quen_game_run(RecoverAtvsLeftByEachWayOut recover_exits
  recover_bar.png,recover_done_tip.png,recover_left_by_done.png,recover_bar_2.png,recover_left_by_s.png,recover_bar_3.png,recover_left_by_enter.png
  recover_exits SAVE/autosave.*,SAVE/asavebak.*)
unset(quen_game_run_dir)
