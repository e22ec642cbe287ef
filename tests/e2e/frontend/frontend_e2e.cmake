# The front end's scripted runs, compared with golden captures.
set(quen_fe_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e/frontend)
add_test(NAME Quenbar.FrontEndScreensAndWaysBack
  COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_fe_dir}/screens.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_fe_dir}/golden
    -DCAPTURES=fe_title.png,fe_single.png,fe_service.png,fe_tcpip.png,fe_sessions.png,fe_wait.png
    -P ${quen_fe_dir}/run_and_compare.cmake)
set_tests_properties(Quenbar.FrontEndScreensAndWaysBack PROPERTIES TIMEOUT 150
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config"
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
add_test(NAME Quenbar.FrontEndCreatesAnEmailGame
  COMMAND ${CMAKE_COMMAND} -DQUENBAR=$<TARGET_FILE:quenbar> -DSCRIPT=${quen_fe_dir}/email.txt
    -DWORKDIR=${PROJECT_BINARY_DIR}/gamedata/c/QUENBAR -DGOLDEN=${quen_fe_dir}/golden
    -DCAPTURES=fe_email.png,fe_email_created.png
    -P ${quen_fe_dir}/run_and_compare.cmake)
set_tests_properties(Quenbar.FrontEndCreatesAnEmailGame PROPERTIES TIMEOUT 150
  ENVIRONMENT "QUENBAR_CONFIG_DIR=${PROJECT_BINARY_DIR}/gamedata/config"
  FAIL_REGULAR_EXPRESSION "Sanitizer|runtime error")
