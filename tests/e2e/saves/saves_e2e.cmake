# Saves in play against the real server: five in the quick start's first
# turn, each answered, and the turn ends after them.
set(quen_game_run_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/saves)
quen_game_run(FiveSavesInOneTurnAreEachAnswered five_saves ""
  five_saves SAVE/autosave.*,SAVE/asavebak.*,SAVE/fivesave*)
unset(quen_game_run_dir)
