# The front end's scripted runs, each compared with its golden captures.
set(quen_fe_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/frontend)
function(quen_frontend_run name script captures)
  add_test(NAME Quenbar.FrontEnd${name}
    COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_fe_dir}/${script}
      -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_fe_dir}/golden -DCAPTURES=${captures}
      -P ${quen_fe_dir}/run_and_compare.cmake)
  set_tests_properties(Quenbar.FrontEnd${name} PROPERTIES TIMEOUT 150
    ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config"
    FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
endfunction()
quen_frontend_run(ScreensAndWaysBack screens.txt
  fe_title.png,fe_single.png,fe_service.png,fe_tcpip.png,fe_sessions.png,fe_wait.png)
quen_frontend_run(CreatesAnEmailGame email.txt fe_email.png,fe_email_created.png)
quen_frontend_run(SerialLinkChoices serial.txt fe_serial.png,fe_serial_refused.png)
quen_frontend_run(RefusedServicesAndEscape refused.txt fe_modem.png,fe_ipx_refused.png)
quen_frontend_run(QuickStartWithoutAGame quickstart.txt fe_quickstart_refused.png)
