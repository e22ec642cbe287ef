# Runs a scripted game (run_and_compare.cmake, RUN_AND_COMPARE, with the same
# variables) against the server of the tests that restarts alone (SERVER): the
# installation's registry file (INSTALLED) is copied into the folder CONFIG
# with its server program mapped to SERVER, and the run reads that copy.
file(READ ${INSTALLED} registry)
set(program "\"QuenSrvr.exe\"=\"")
string(FIND "${registry}" "${program}" at)
if(at LESS 0)
  message(FATAL_ERROR "${INSTALLED} maps no server program")
endif()
string(REGEX REPLACE "\"QuenSrvr.exe\"=\"[^\"\n]*\"" "${program}${SERVER}\"" registry "${registry}")
file(WRITE ${CONFIG}/registry.reg "${registry}")
set(ENV{QUENBAR_CONFIG_DIR} ${CONFIG})
include(${RUN_AND_COMPARE})
