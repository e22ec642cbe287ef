# The quick-start scenario: the game the title screen's quick start loads when
# the player has no saved game of its own, and the same game as the scenario
# the load screen lists ("Instant Action.scn"), written by quenqikstart
# (tools/quickstart) from the rules files, its chapters named by the program's
# module, and installed in the scenario folder. It is made again whenever the
# tool (and so the server or client code it is built from) or its inputs change.
set(quen_scenario_dir ${PROJECT_BINARY_DIR}/data/scenario)
set(quen_scenario_files ${quen_scenario_dir}/QikStart.clt ${quen_scenario_dir}/QikStart.svr
  "${quen_scenario_dir}/Instant Action.scn" "${quen_scenario_dir}/Instant Action.svr")
set(quen_scenario_rules)
foreach(rules_file hulls.dat modules.dat gamevar.dat astnames.dat)
  list(APPEND quen_scenario_rules ${QUEN_RULES_DATA_DIR}/${rules_file})
endforeach()
add_custom_command(OUTPUT ${quen_scenario_files}
  COMMAND quenqikstart ${QUEN_RULES_DATA_DIR} ${QUEN_PROGRAM_MODULE} ${quen_scenario_dir}
  DEPENDS quenqikstart rulesdata program_module ${quen_scenario_rules} ${QUEN_PROGRAM_MODULE}
  COMMENT "Writing the quick-start scenario"
  VERBATIM)
add_custom_target(scenario_quickstart DEPENDS ${quen_scenario_files})
foreach(file IN LISTS quen_scenario_files)
  quen_gamedata_file(SOURCE ${file} DEST SCENARIO DEPENDS scenario_quickstart)
endforeach()
