# The design chamber played against the real server, in a new game and in the
# late game, compared with golden captures.
set(quen_design_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/design)
# The research page over the chamber, a module's pages from the list's menu,
# a menu closed beside it, the text mode, the hull chooser, an empty design
# refused, a module under research after a turn.
set(quen_game_run_dir ${quen_design_dir})
quen_game_run(DesignChamberPages chamber_pages
  chamber_research_modules.png,chamber_research_power.png,chamber_research_hulls.png,chamber_research_shut.png,chamber_module_costs.png,chamber_text_mode.png,chamber_chooser_classes.png,chamber_chooser_hulls.png,chamber_empty_refused.png,chamber_research_next_turn.png
  chamber_pages SAVE/autosave.*,SAVE/asavebak.*)
# A design on a new hull with modules of several kinds fitted by double
# clicks, saved under a typed name, and a turn played.
quen_game_run(DesignChamberFitting chamber_fitting
  chamber_fitted.png,chamber_name_typed.png,chamber_saved_named.png,chamber_saved_next_turn.png
  chamber_fitting SAVE/autosave.*,SAVE/asavebak.*)
# An empty name refused (for a save and for a copy) with the prompt's
# picture gone from under its box, a long name cut as the other players are
# told it and so read the same after a turn, both designs taken.
quen_game_run(DesignChamberNames chamber_names
  chamber_name_refused.png,chamber_long_name.png,chamber_copy_name_refused.png,chamber_copy_named.png,chamber_name_after_turn.png
  chamber_names SAVE/autosave.*,SAVE/asavebak.*)
# A special weapon of each guild that has one, fitted and read out (a rate
# of fire of "8"), the design saved and a turn played: the Golden Order's
# bombard and the Emerald Combine's mind weapon.
quen_game_run(DesignChamberBombard special_bombard special_bombard_fitted.png,special_bombard_readout.png,special_bombard_next_turn.png
  special_bombard SAVE/autosave.*,SAVE/asavebak.*)
quen_game_run(DesignChamberMindWeapon special_mind special_mind_fitted.png,special_mind_readout.png,special_mind_next_turn.png
  special_mind SAVE/autosave.*,SAVE/asavebak.*)
unset(quen_game_run_dir)
# At turn 150: the automatic upgrade, research allocation and science bonus,
# a turn played, the assault hulls offered.
add_test(NAME Quenbar.DesignChamberLateGame
  COMMAND ${CMAKE_COMMAND} -DLATEGAME=$<TARGET_FILE:quenlategame> -DRULES=${PROJECT_BINARY_DIR}/data/rules
    -DMODULE=${PROJECT_BINARY_DIR}/Game/quenbar.dll -DOUT=${PROJECT_BINARY_DIR}/lategame -DTURNS=150
    -DRUNNER=${quen_fe_dir}/run_and_compare.cmake
    -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_design_dir}/late_chamber.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_design_dir}/golden
    -DCAPTURES=late_chamber.png,late_upgrade_told.png,late_upgraded.png,late_research_weapons.png,late_research_given.png,late_research_assault.png,late_research_next_turn.png,late_chooser_assault.png
    -DUSERINFO=${quen_game_dir}/UserInfo.dat -DSERVER_LOG=${quen_design_dir}/late_chamber.log
    -DLEAVES=SAVE/autosave.*,SAVE/asavebak.*
    -P ${CMAKE_CURRENT_SOURCE_DIR}/e2e/lategame/run_late_game.cmake)
set_tests_properties(Quenbar.DesignChamberLateGame PROPERTIES TIMEOUT 200
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;QUENSRVR_SEED=7;QUENBAR_SEED=7"
  RUN_SERIAL TRUE
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
