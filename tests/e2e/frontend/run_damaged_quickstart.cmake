# The quick start over a last save that cannot be read: a damaged save is
# put in the save folder and named as the quick start's last save in the
# registry file, then the run goes on as run_and_compare.cmake's, which puts
# the original registry file (kept here as REGISTRY.before) back after the
# program's run; LEAVES takes the damaged save away.
file(READ ${REGISTRY} registry)
string(REGEX REPLACE "\"QUICKSTARTFILE\"=\"[^\"\n]*\"" "\"QUICKSTARTFILE\"=\"damaged.clt\"" named "${registry}")
if(NOT named MATCHES "\"QUICKSTARTFILE\"=\"damaged.clt\"")
  message(FATAL_ERROR "${REGISTRY} holds no QUICKSTARTFILE to name the damaged save in")
endif()
file(WRITE ${WORKDIR}/SAVE/damaged.clt "not a saved game")
file(COPY_FILE ${REGISTRY} ${REGISTRY}.before)
file(WRITE ${REGISTRY} "${named}")
include(${CMAKE_CURRENT_LIST_DIR}/run_and_compare.cmake)
