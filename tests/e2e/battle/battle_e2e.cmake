# A space battle in a started game against the real server (its world fixed
# by the seed): the player's fleet meets another guild's units, and the
# battle's combat summary, details and replay are opened and compared with
# golden captures. The battle leaves its replay and log files in the save
# folder; the runs remove them again. The player has the music off: the
# music's next track is drawn from the program's random numbers when a track
# ends on the wall clock, which would make the pictures after it vary.
set(quen_battle_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/battle)
set(quen_battle_leaves SAVE/autosave.*,SAVE/asavebak.*,SAVE/*.rpl,SAVE/*.tlg)
# The replay played to "Review complete": its start, a shield flash, a restart
# into slow review, the scout's destruction flash and the end; then the way
# out to the asteroid's space, back into the replay from its notification, and
# out again by a right click that opens the asteroid space's menu.
add_test(NAME Quenbar.SpaceBattleReviewedAndReplayed
  COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_battle_dir}/battle.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_battle_dir}/golden
    -DCAPTURES=battle_summary.png,battle_details.png,battle_details_more.png,battle_start.png,battle_shield_flash.png,battle_slow_review.png,battle_destruction_flash.png,battle_complete.png,battle_exit.png,battle_from_notice.png,battle_right_click.png
    -DUSERINFO=${quen_battle_dir}/UserInfo.dat -DSERVER_LOG=${quen_battle_dir}/battle.log
    -DLEAVES=${quen_battle_leaves}
    -P ${quen_fe_dir}/run_and_compare.cmake)
# The replay in slow review, once it reads "Review complete", left alone for
# 3,000 frames: it does not start over by itself.
add_test(NAME Quenbar.SpaceBattleReviewStaysComplete
  COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_battle_dir}/review_stays.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_battle_dir}/golden
    -DCAPTURES=battle_complete.png,battle_still_complete.png
    -DUSERINFO=${quen_battle_dir}/UserInfo.dat -DSERVER_LOG=${quen_battle_dir}/battle.log
    -DLEAVES=${quen_battle_leaves}
    -P ${quen_fe_dir}/run_and_compare.cmake)
# The same run for a player who has turned the distance fog off: the replay's
# scene starts without it.
add_test(NAME Quenbar.SpaceBattleReplayedWithoutDistanceFog
  COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_battle_dir}/battle.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_battle_dir}/golden/nofog
    -DCAPTURES=battle_start.png
    -DUSERINFO=${quen_battle_dir}/UserInfo_nofog.dat -DSERVER_LOG=${quen_battle_dir}/battle.log
    -DLEAVES=${quen_battle_leaves}
    -P ${quen_fe_dir}/run_and_compare.cmake)
# The same battle with its replay file deleted before VIEW REPLAY: the
# battle's asteroid is shown in its space instead.
add_test(NAME Quenbar.SpaceBattleWithoutItsReplayFile
  COMMAND sh ${quen_battle_dir}/run_without_replay.sh $<TARGET_FILE:quenbar> ${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR
    ${quen_battle_dir}/UserInfo.dat ${quen_battle_dir}/without_replay.txt ${quen_battle_dir}/golden battle_no_replay.png)
set_tests_properties(Quenbar.SpaceBattleReviewedAndReplayed Quenbar.SpaceBattleReplayedWithoutDistanceFog
  Quenbar.SpaceBattleWithoutItsReplayFile Quenbar.SpaceBattleReviewStaysComplete PROPERTIES
  TIMEOUT 150
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;QUENSRVR_SEED=7;QUENBAR_SEED=7"
  RUN_SERIAL TRUE
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
# An Emerald Combine ship built with a mind weapon, armed from its menu and
# sent to another guild's home, where its hits stun ships: the notices and
# the battle's review log tell each stun.
set(quen_game_run_dir ${quen_battle_dir})
quen_game_run(MindWeaponArmedAndStunning mind_stun
  mind_arm_menu.png,mind_armed_menu.png,mind_stun_notices.png,mind_review_log.png,mind_stunned_enemy.png
  mind_stun ${quen_battle_leaves})
unset(quen_game_run_dir)
