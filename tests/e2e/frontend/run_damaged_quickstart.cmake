# The quick start over a last save that cannot be read: a damaged save is
# put in the save folder and named as the quick start's last save in the
# registry file, then the run goes on as run_and_compare.cmake's, which puts
# the original registry file (kept here as REGISTRY.before) back after the
# program's run; LEAVES takes the damaged save away.
file(WRITE ${WORKDIR}/SAVE/damaged.clt "not a saved game")
file(READ ${REGISTRY} registry)
string(REPLACE "\"QUICKSTARTFILE\"=\"\"" "\"QUICKSTARTFILE\"=\"damaged.clt\"" named "${registry}")
if(named STREQUAL registry)
  message(FATAL_ERROR "${REGISTRY} names no empty QUICKSTARTFILE to replace")
endif()
file(COPY_FILE ${REGISTRY} ${REGISTRY}.before)
file(WRITE ${REGISTRY} "${named}")
include(${CMAKE_CURRENT_LIST_DIR}/run_and_compare.cmake)
