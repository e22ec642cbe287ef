# The front end's scripted runs, each from the start values of the settings
# file and compared with its golden captures; they share the installation
# folder with the other runs of the program, so they run alone.
set(quen_fe_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/frontend)
function(quen_frontend_run name script captures)
  # Optional: the patterns of the server's log, the lines the settings file
  # keeps, and the settings file the run starts from ("NONE": none).
  set(userinfo ${quen_fe_dir}/UserInfo.dat)
  if(ARGC GREATER 5)
    set(userinfo ${ARGV5})
  endif()
  set(log "")
  if(ARGC GREATER 3 AND ARGV3)
    set(log -DSERVER_LOG=${quen_fe_dir}/${ARGV3})
  endif()
  if(ARGC GREATER 4)
    list(APPEND log -DKEPT=${quen_fe_dir}/${ARGV4})
  endif()
  add_test(NAME Quenbar.FrontEnd${name}
    COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_fe_dir}/${script}
      -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_fe_dir}/golden -DCAPTURES=${captures}
      -DUSERINFO=${userinfo} ${log}
      -P ${quen_fe_dir}/run_and_compare.cmake)
  set_tests_properties(Quenbar.FrontEnd${name} PROPERTIES TIMEOUT 150
    ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config"
    RUN_SERIAL TRUE
    FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
endfunction()
quen_frontend_run(ScreensAndWaysBack screens.txt
  fe_title.png,fe_single.png,fe_service.png,fe_tcpip.png,fe_sessions.png,fe_wait.png)
quen_frontend_run(CreatesAnEmailGame email.txt fe_email.png,fe_email_created.png)
quen_frontend_run(SerialLinkChoices serial.txt fe_serial.png,fe_serial_refused.png)
quen_frontend_run(RefusedServicesAndEscape refused.txt fe_modem.png,fe_ipx_refused.png)
quen_frontend_run(TutorialNotInstalled tutorial.txt fe_tutorial_missing.png)
quen_frontend_run(FirstStartPlaysTheIntro first_start.txt fe_first_start_intro.png "" first_start.userinfo NONE)
quen_frontend_run(SetUpScreensIntoAStartedGame setup_walk.txt
  fe_config.png,fe_guild.png,fe_traits.png,fe_fog.png,fe_starting.png,fe_guild_held.png setup_walk.log
  setup_walk.userinfo)
# Guild Information opens the guild's help topic over the guild screen.
quen_frontend_run(GuildInformationBeforeAGame guild_info.txt fe_guild_info.png,fe_guild_info_closed.png)
quen_frontend_run(PreferencesAndLoadScreen prefs_load.txt fe_prefs.png,fe_load.png "" prefs_load.userinfo)
# Two players on this machine: one hosts over TCP/IP, the other joins from the
# session list; they see each other ready, chat, and the host starts the game.
set(quen_mp_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/multiplayer)
add_test(NAME Quenbar.FrontEndTwoPlayersMeetAndStartAGame
  COMMAND sh ${quen_mp_dir}/run_two_players.sh $<TARGET_FILE:quenbar> ${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR
    ${quen_fe_dir}/UserInfo.dat)
set_tests_properties(Quenbar.FrontEndTwoPlayersMeetAndStartAGame PROPERTIES TIMEOUT 150
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config"
  RUN_SERIAL TRUE
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
# An e-mail game created, one chapter's turn played from its input file into
# its turn file, and that turn processed by the host.
add_test(NAME Quenbar.FrontEndEmailTurnPlayedAndProcessed
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/e2e/email/run_email_turn.sh $<TARGET_FILE:quenbar>
    ${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR ${quen_fe_dir}/UserInfo.dat)
set_tests_properties(Quenbar.FrontEndEmailTurnPlayedAndProcessed PROPERTIES TIMEOUT 150
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config"
  RUN_SERIAL TRUE
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
# Two players' e-mail game over two turns, the host processing between them:
# the research allocation of the first turn kept into the second, the turn
# counted once, and a damaged input file told and not played.
add_test(NAME Quenbar.EmailGameTurns
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/e2e/email/run_email_turns.sh $<TARGET_FILE:quenbar>
    ${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR ${CMAKE_CURRENT_SOURCE_DIR}/e2e/game/UserInfo.dat)
set_tests_properties(Quenbar.EmailGameTurns PROPERTIES TIMEOUT 150
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;QUENSRVR_SEED=7;QUENBAR_SEED=7"
  RUN_SERIAL TRUE
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
# Full screen on desktops larger than the screen, under Xvfb with no window
# manager: the picture fills the display and clicks land where it is drawn.
foreach(size 1024x768 1920x1080)
  string(REPLACE "x" ";" wh ${size})
  list(GET wh 0 w)
  list(GET wh 1 h)
  add_test(NAME Quenbar.FullScreenOn${size}Display
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/e2e/fullscreen/run_fullscreen.sh $<TARGET_FILE:quenbar>
      ${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR ${quen_fe_dir}/UserInfo.dat ${w} ${h})
  set_tests_properties(Quenbar.FullScreenOn${size}Display PROPERTIES TIMEOUT 150
    ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config"
    RUN_SERIAL TRUE PASS_REGULAR_EXPRESSION "quit by a click")
endforeach()
# Into the game screen of a new single-player game against the real server
# (its world fixed by the seed): frame, goto bar, control panel, a tooltip,
# goto groups and END TURN to the next turn, compared with golden captures.
# The frame's animations come at moments of the wall clock's choosing, so this
# player has them switched off.
set(quen_game_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/game)
# A scripted run into a started game against the real server: Quenbar.NAME
# runs SCRIPT.txt of e2e/game, compares CAPTURES (comma-separated) with their
# goldens, matches the server's log against LOG.log and removes what the run
# LEAVES (comma-separated globs) and puts the registry file back (a save
# remembers itself there for the quick start). Script, goldens and log are in
# quen_game_run_dir (e2e/game unless the caller sets another folder).
# Optional: a file of the lines the settings file must hold after the run.
function(quen_game_run name script captures log leaves)
  if(NOT quen_game_run_dir)
    set(quen_game_run_dir ${quen_game_dir})
  endif()
  set(kept "")
  if(ARGC GREATER 5)
    set(kept -DKEPT=${quen_game_run_dir}/${ARGV5})
  endif()
  add_test(NAME Quenbar.${name}
    COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_game_run_dir}/${script}.txt
      -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_game_run_dir}/golden
      -DCAPTURES=${captures}
      -DUSERINFO=${quen_game_dir}/UserInfo.dat -DSERVER_LOG=${quen_game_run_dir}/${log}.log
      -DLEAVES=${leaves} ${kept} -DREGISTRY=${PROJECT_BINARY_DIR}/gamedata/config/registry.reg
      -P ${quen_fe_dir}/run_and_compare.cmake)
  set_tests_properties(Quenbar.${name} PROPERTIES TIMEOUT 150
    ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;QUENSRVR_SEED=7;QUENBAR_SEED=7"
    RUN_SERIAL TRUE
    FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
endfunction()
quen_game_run(GameScreenPlaysATurn game_screen
  game_screen.png,game_tooltip.png,game_group3.png,game_next_turn.png
  game_screen SAVE/autosave.*,SAVE/asavebak.*)
# A turn played, the game saved from the options menu and loaded again from
# the load screen, then a turn more: the server saves and loads its half with
# the same turn, and the loaded game goes on.
quen_game_run(GameSavedAndLoadedMidGame save_and_load
  saved_status.png,saved_game.png,load_screen.png
  save_and_load SAVE/autosave.*,SAVE/asavebak.*,SAVE/midgame.*)
# The home asteroid's order menu opened from its goto slot in the same game,
# and the screen under it put back when it closes; then a turn is played.
quen_game_run(GameScreenOrderMenus order_menus
  order_menu_asteroid.png,order_menu_closed.png
  order_menus SAVE/autosave.*,SAVE/asavebak.*)
# Context help in the solar view, its window closed again: nothing of it is
# left on the screen.
quen_game_run(ContextHelpLeavesNothingBehind context_help
  context_help_open.png,context_help_closed.png
  context_help SAVE/autosave.*,SAVE/asavebak.*)
# The notification panel in play: a tooltip, filters, show-all, a read mark,
# the next turn's lines and a line that opens the info panel, compared with
# golden captures.
quen_game_run(NotificationPanelInPlay notify_panel
  notify_tooltip.png,notify_filtered.png,notify_kind_filtered.png,notify_show_all.png,notify_read.png,notify_next_turn.png,notify_opens_voting.png
  game_screen SAVE/autosave.*,SAVE/asavebak.*)
# The info panel's pages in play: the ship list and designs, the three status
# pages, the combat summary and technology, compared with golden captures.
quen_game_run(InfoPagesInPlay info_pages
  info_designs.png,info_ships.png,info_status_guilds.png,info_status_personal.png,info_status.png,info_combat.png,info_technology.png
  info_pages SAVE/autosave.*,SAVE/asavebak.*)
# The research page in play: an allocation set and moved to another role's
# module, kept through two turns in which the guild's research moves on, and
# the technology page at the end.
quen_game_run(ResearchInPlay research_in_play
  research_allocated.png,research_moved.png,research_turn1.png,research_turn1_construction.png,research_turn2_construction.png,research_technology.png
  research_in_play SAVE/autosave.*,SAVE/asavebak.*)
# The voting page in play: the player's votes cast by clicks and taken by the
# server, the next turn's tally; the asteroid list under its filters; the
# chapter filter's guild and member lists in the data panel.
quen_game_run(PoliticsAndAsteroidListInPlay politics_pages
  politics_voting.png,politics_voted.png,politics_next_turn.png,politics_asteroids.png,politics_mine.png,politics_guild_hover.png,politics_guilds.png,politics_members.png,politics_chapter.png
  politics_pages SAVE/autosave.*,SAVE/asavebak.*)
# The status line of the home asteroid's space under the info panel opened
# over it: left out while the panel shows, back when it closes.
quen_game_run(StatusLineLeftOutUnderTheInfoPanel faults4_status_under_panel
  faults4_space_status.png,faults4_panel_over_status.png,faults4_panel_closed.png
  data_panel SAVE/autosave.*,SAVE/asavebak.*)
# The in-game dialogs worked as a player works them: the settings saved (and
# written to the settings file) and seen at once, a chat line to one chapter,
# a note, the set-up and key pages, a battle plan and a ship's name found again
# after the turn, typing kept through help over the name prompt, the ATV
# counts cancelled and the default plans of another class.
quen_game_run(DialogsInPlay dialogs_in_play
  dialogs_settings.png,dialogs_stars.png,dialogs_chat_chapter.png,dialogs_chat_page.png,dialogs_note.png,dialogs_setup_page.png,dialogs_keys_page.png,dialogs_plan_set.png,dialogs_name.png,dialogs_renamed.png,dialogs_name_kept.png,dialogs_plan_kept.png,dialogs_help.png,dialogs_atvs.png,dialogs_space_menu.png,dialogs_default_plans.png,dialogs_note_kept.png
  game_screen SAVE/autosave.*,SAVE/asavebak.* dialogs_in_play.userinfo)
# The settings over an asteroid's surface show the 3D world's stars and fog
# as they stand, and a Save there keeps the player's stars off in the file.
quen_game_run(SettingsOverTheSurface settings_surface
  settings_surface.png
  settings_surface SAVE/autosave.*,SAVE/asavebak.* settings_surface.userinfo)
# Escape in play: it opens and closes the options menu, cancels the settings
# (the stars switched on stay off, in the file too) and the ATV counts, and
# leaves the high scores, which have only OK, open.
quen_game_run(EscapeClosesTheDialogsInPlay escape_dialogs
  escape_options.png,escape_options_closed.png,escape_settings_closed.png,escape_high_scores.png,escape_atvs_closed.png
  context_help SAVE/autosave.*,SAVE/asavebak.* escape_dialogs.userinfo)
# The quick start: on a fresh installation it loads the instant-action
# scenario on a local server into its game screen, and the turn plays on; with
# that scenario gone (and no saved game) it says the game cannot start.
add_test(NAME Quenbar.FrontEndQuickStartIntoAGame
  COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_fe_dir}/quickstart_game.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_fe_dir}/golden
    -DCAPTURES=fe_quickstart_game.png,fe_quickstart_next_turn.png
    -DUSERINFO=${quen_game_dir}/UserInfo.dat -DSERVER_LOG=${quen_fe_dir}/quickstart_game.log
    -DLEAVES=SAVE/autosave.*,SAVE/asavebak.*
    -P ${quen_fe_dir}/run_and_compare.cmake)
add_test(NAME Quenbar.FrontEndQuickStartWithoutAGame
  COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_fe_dir}/quickstart.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_fe_dir}/golden
    -DCAPTURES=fe_quickstart_refused.png -DUSERINFO=${quen_fe_dir}/UserInfo.dat
    -DHIDE=SCENARIO/QikStart.clt,SCENARIO/QikStart.svr
    -P ${quen_fe_dir}/run_and_compare.cmake)
# The scenario mode of the load screen lists the installation's scenarios; the
# one chosen is loaded into its game screen.
add_test(NAME Quenbar.FrontEndScenarioListedAndLoaded
  COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_fe_dir}/scenario_list.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_fe_dir}/golden
    -DCAPTURES=fe_scenarios.png,fe_scenario_game.png
    -DUSERINFO=${quen_game_dir}/UserInfo.dat -DSERVER_LOG=${quen_fe_dir}/scenario_list.log
    -P ${quen_fe_dir}/run_and_compare.cmake)
# The quick start after a save: the game last saved (under a name with a
# space, saved over once) comes back from the title; in play, the load
# screen's scenario mode starts the scenario over. The save's name the
# installation remembers is forgotten again after the run.
add_test(NAME Quenbar.FrontEndQuickStartGoesBackToTheLastSave
  COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_fe_dir}/quickstart_resume.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_fe_dir}/golden
    -DCAPTURES=fe_resume_overwrite.png,fe_resume_game.png,fe_resume_scenarios.png
    -DUSERINFO=${quen_game_dir}/UserInfo.dat -DSERVER_LOG=${quen_fe_dir}/quickstart_resume.log
    -DREGISTRY=${PROJECT_BINARY_DIR}/gamedata/config/registry.reg
    -DLEAVES=SAVE/autosave.*,SAVE/asavebak.*,SAVE/my?game.*
    -P ${quen_fe_dir}/run_and_compare.cmake)
# A last save that cannot be read is told before any server starts, and the
# quick start plays the scenario instead.
add_test(NAME Quenbar.FrontEndQuickStartOverADamagedSave
  COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_fe_dir}/quickstart_damaged.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_fe_dir}/golden
    -DCAPTURES=fe_quickstart_damaged.png
    -DUSERINFO=${quen_game_dir}/UserInfo.dat -DSERVER_LOG=${quen_fe_dir}/quickstart_damaged.log
    -DREGISTRY=${PROJECT_BINARY_DIR}/gamedata/config/registry.reg
    -DLEAVES=SAVE/autosave.*,SAVE/asavebak.*,SAVE/damaged.clt
    -P ${quen_fe_dir}/run_damaged_quickstart.cmake)
set_tests_properties(Quenbar.FrontEndQuickStartIntoAGame Quenbar.FrontEndQuickStartWithoutAGame
  Quenbar.FrontEndScenarioListedAndLoaded Quenbar.FrontEndQuickStartGoesBackToTheLastSave
  Quenbar.FrontEndQuickStartOverADamagedSave PROPERTIES TIMEOUT 150
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;QUENSRVR_SEED=7;QUENBAR_SEED=7"
  RUN_SERIAL TRUE
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
# The data panel in the game screen: the home asteroid picked in the goto bar
# shows its read-out (the minimal view shows what the goto bar picks).
# The home asteroid's surface: a zone read out, an ATV moved by drag and drop,
# the zone menu, and the move resolved the next turn.
quen_game_run(TerrainSurfaceInPlay terrain_surface
  terrain_surface.png,terrain_moved.png,terrain_menu.png,terrain_next_turn.png
  game_screen SAVE/autosave.*,SAVE/asavebak.*)
# The home asteroid's space: the filter, power transferred to a unit, then the
# unit moved by the height target, each resolved by the next turn.
quen_game_run(AsteroidSpaceInPlay asteroid_space
  space_home.png,space_filter.png,space_refuel.png,space_powered.png,space_height.png,space_ordered.png,space_next_turn.png
  game_screen SAVE/autosave.*,SAVE/asavebak.*)
quen_game_run(DataPanelShowsTheHomeAsteroid data_panel
  data_asteroid.png
  data_panel SAVE/autosave.*,SAVE/asavebak.*)
# The solar view in play: its start screen, the filters from their buttons,
# the future view, its menu and an asteroid found by name.
quen_game_run(SolarViewInPlay solar_view
  solar_start.png,solar_present.png,solar_size.png,solar_future.png,solar_paused.png,solar_stepped.png,solar_menu.png,solar_find.png,solar_found.png
  solar_view SAVE/autosave.*,SAVE/asavebak.*)
# Units sent from the solar view to another asteroid, and the turn ended.
quen_game_run(SolarViewSendsUnits solar_orders
  solar_orders_selected.png,solar_orders_sent.png,solar_orders_next_turn.png
  solar_orders SAVE/autosave.*,SAVE/asavebak.*)
# An order from the solar view carried out over three turns, a mineral offer
# on the guild's board once the server took it and withdrawn again (the trade
# page opened after an order menu left with Escape), and a notice read.
quen_game_run(OrderNoticeAndOfferPlayed order_notice_offer
  played_order_given.png,played_trade_page.png,played_offer_posted.png,played_offer_on_board.png,played_offer_withdraw.png,played_offer_withdrawn.png,played_transfer_amount.png,played_notice_read.png,played_order_done.png
  order_notice_offer SAVE/autosave.*,SAVE/asavebak.*)
# The design chamber from the solar view: a module fitted, the design saved
# under the offered name, the way back, and a turn played.
quen_game_run(DesignChamberInPlay design_chamber
  design_chamber.png,design_fitted.png,design_name.png,design_saved.png,design_returned.png
  design_chamber SAVE/autosave.*,SAVE/asavebak.*)
# The chamber worked as a player works it: a filter by key, the info panel
# opened and shut, a module taken out, the design saved and copied with Ctrl,
# written to a template file and loaded back over a new hull, a turn played.
quen_game_run(DesignChamberWorked reviewdesign_chamber
  reviewdesign_filter.png,reviewdesign_panel.png,reviewdesign_unfitted.png,reviewdesign_copied.png,reviewdesign_written.png,reviewdesign_new_hull.png,reviewdesign_loaded.png,reviewdesign_returned.png
  reviewdesign_chamber SAVE/autosave.*,SAVE/asavebak.*,TEMPLATE/reviewdesign.tpl)
# A two-player run into a started game: Quenbar.NAME plays NAME_host.txt and
# NAME_join.txt of e2e/multiplayer (see run_two_players_game.sh, which also
# takes the server-log line a joining in play waits for) and compares CAPTURES
# with their goldens.
function(quen_two_players_run name script captures)
  add_test(NAME Quenbar.${name}
    COMMAND sh ${quen_mp_dir}/run_two_players_game.sh $<TARGET_FILE:quenbar> ${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR
      ${quen_game_dir}/UserInfo.dat ${script} ${quen_mp_dir}/golden ${captures} ${ARGN})
  set_tests_properties(Quenbar.${name} PROPERTIES TIMEOUT 300
    ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;QUENSRVR_SEED=7;QUENBAR_SEED=7"
    RUN_SERIAL TRUE
    FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
endfunction()
# Two players in a started game on this machine, each with its own save
# folder: chat both ways (the chat light lit by the other's message), the
# host's metals offered through the price dialog and bought by the other
# player, the host's turn lamp on the other's screen, and the turn played;
# then each votes on the voting page (the host backs the other for
# imperator, the other votes the host renegade) and sees the other's vote
# after the next turn; compared with golden captures (QUEN_REFRESH_GOLDENS=1 takes them again).
set(quen_mp_in_play
  mp_host_chat_light.png,mp_host_chat_page.png,mp_host_sell.png,mp_host_offer_posted.png,mp_host_next_turn.png,mp_join_chat_answer.png,mp_join_lamp.png,mp_join_offers.png,mp_join_buy.png,mp_join_shipment.png,mp_join_next_turn.png,mp_host_vote.png,mp_host_vote_next_turn.png,mp_join_vote.png,mp_join_vote_next_turn.png,mp_host_set_price.png,mp_join_vote_offer.png,mp_join_bid.png,mp_join_bid_made.png)
quen_two_players_run(TwoPlayersChatTradeAndVote in_play ${quen_mp_in_play})
# Two players saving and loading together: the host's save, made once the
# other player has ended its turn, copied by the other player (whose screen
# comes back from it), the host's load agreed to and loaded by both, a turn
# played on; then the other player quits and the host's next turn goes on
# without it.
quen_two_players_run(TwoPlayersSaveLoadAndOneLeaves together
  tg_host_options.png,tg_host_save.png,tg_host_saved.png,tg_host_load.png,tg_host_next_turn.png,tg_host_left.png,tg_host_after_leave.png,tg_join_saved.png,tg_join_question.png,tg_join_next_turn.png,tg_join_quit.png)
# A load refused: the host's request to load its save, made once the other
# player has ended its turn, is refused by the other player, the host is told
# so over the game it keeps and its End Turn plays the turn; in the next turn
# it ends its turn, the other player quits before ending its own, and that
# turn is played without it.
quen_two_players_run(TwoPlayersLoadRefusedAndOneLeavesMidTurn refuse
  rf_host_refused.png,rf_host_after_refusal.png,rf_host_next_turn.png,rf_join_refused.png)
# A restart refused: asked once the other player has ended its turn, the
# other player says No and gets its screen back, the host closes the refusal
# with Enter, and its End Turn plays the turn.
quen_two_players_run(TwoPlayersRestartRefused norestart
  nr_host_refused.png,nr_host_after_refusal.png,nr_host_next_turn.png,nr_join_refused.png,nr_join_next_turn.png)
# Two players restarting together: the host's restart, asked once the other
# player has ended its turn, agreed to by the other player, both in the new
# world, whose first turn they end; then the host quits (its question says
# the game ends for everyone) and the other player is told the server is gone.
quen_two_players_run(TwoPlayersRestartAndTheHostQuits restart
  rs_host_restart_asked.png,rs_host_restarted.png,rs_host_quit.png,rs_join_question.png,rs_join_restarted.png,rs_join_host_gone.png)
# A player joining a game in play: the host starts alone and plays turn 0;
# the other player then joins from the session list, takes a chapter the
# computer played, comes into the game at turn 1 and ends it with the host.
quen_two_players_run(TwoPlayersOneJoinsAGameInPlay in_play_join
  jp_host_turn1.png,jp_host_turn2.png,jp_join_chapters.png,jp_join_in_play.png,jp_join_turn2.png
  "turn 0 resolved")
# A ship changing hands between two players of one guild: the host offers its
# scout from the scout's menu, the other player sees the offer on the ship
# board and bids for it from its home pool; as the turn resolves the scout is
# the other player's, under its design and where it stood, the bid is in the
# host's home pool and the scout gone from the host's ship list.
quen_two_players_run(TwoPlayersShipOfferedAndBought ship_offer
  so_host_menu.png,so_host_price.png,so_host_board.png,so_host_paid.png,so_host_ships.png,so_join_board.png,so_join_bid.png,so_join_bid_made.png,so_join_paying.png,so_join_ships.png)
# A stun as its victim meets it: the host, of the Emerald Combine, builds,
# arms and sends a mind weapon to Fenorhesh (as Quenbar.MindWeaponArmedAndStunning
# does), whose chapter the other player takes from the computer on the way;
# its ships stunned in the battle there read as stunned in its data panel
# and cannot be ordered, and the turn after their stuns run out they are free
# (the mind weapon standing by left them alone) and can be.
quen_two_players_run(TwoPlayersMindWeaponStunsTheOthersShips stun_victim
  sv_join_stunned.png,sv_join_stunned_refused.png,sv_join_free.png
  "turn 10 resolved")
# Scans from the home asteroid's space: a scout's survey of the asteroid and a
# scan of an own scout by the general-purpose unit (the design shown at once),
# then the survey's turns played until the scout has no order and the
# asteroid reads as updated.
quen_game_run(AsteroidSpaceScans asteroid_orders
  scan_menu.png,scan_survey.png,scan_own_design.png,scan_running.png,scan_asteroid.png,scan_done.png
  asteroid_orders SAVE/autosave.*,SAVE/asavebak.*)
# Building and scrapping from the home asteroid's space: the construction unit
# builds a scout from the template list, the general-purpose unit scraps the
# old scout, and turns are played until the new scout is there and the old
# one gone.
quen_game_run(AsteroidSpaceBuildsAndScraps asteroid_builds
  build_menu.png,build_templates.png,build_ordered.png,scrap_ordered.png,scrap_running.png,build_done.png,scrap_done.png,build_designs.png
  asteroid_builds SAVE/autosave.*,SAVE/asavebak.*)
# The home asteroid's space: a filter button pressed by the F key and let up
# by the next filter, the buttons of the grid once it is shown, and the
# height preview standing on the picked point of the grid.
quen_game_run(AsteroidSpaceFiltersGridAndHeightPreview review10_filters
  review10_filter_key.png,review10_filter_replaced.png,review10_grid_on.png,review10_height.png
  review10_filters SAVE/autosave.*,SAVE/asavebak.*)
# The terrain button's tip in the home asteroid's space, then the grid
# button's: nothing of the first tip is left beside the buttons.
quen_game_run(AsteroidSpaceTipLeavesNothingBehind faults5_tooltip
  faults5_tip_shown.png,faults5_tip_left.png
  faults5_tooltip SAVE/autosave.*,SAVE/asavebak.*)
# Three turns of a new game, then saved: every asteroid in the player's half of
# the save stands where the server's half has it (quen_solar_positions
# compares the two files).
add_executable(quen_solar_positions ${quen_game_dir}/support/solar_positions.cpp)
target_link_libraries(quen_solar_positions PRIVATE game_core)
add_test(NAME Quenbar.SolarPositionsAgreeWithTheServer
  COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_game_dir}/solar_positions.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_game_dir}/golden
    -DCAPTURES=solar_positions.png -DUSERINFO=${quen_game_dir}/UserInfo.dat
    -DSERVER_LOG=${quen_game_dir}/solar_positions.log -DLEAVES=SAVE/autosave.*,SAVE/asavebak.*
    -DRUN_AND_COMPARE=${quen_fe_dir}/run_and_compare.cmake -DCOMPARE=$<TARGET_FILE:quen_solar_positions>
    -DREGISTRY=${PROJECT_BINARY_DIR}/gamedata/config/registry.reg
    -P ${quen_game_dir}/run_solar_positions.cmake)
set_tests_properties(Quenbar.SolarPositionsAgreeWithTheServer PROPERTIES TIMEOUT 200
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config;QUENSRVR_SEED=7;QUENBAR_SEED=7"
  RUN_SERIAL TRUE
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
include(${CMAKE_CURRENT_LIST_DIR}/../terrain/terrain_e2e.cmake)
include(${CMAKE_CURRENT_SOURCE_DIR}/e2e/battle/battle_e2e.cmake)
