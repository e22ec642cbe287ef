# Writes the registry file of a fresh installation (run with cmake -P).
#   -DOUT=<file> -DDRIVE_C=<host dir of drive C> -DDRIVE_D=<host dir of the CD>
#   -DSERVER=<the server program>
include(${CMAKE_CURRENT_LIST_DIR}/layout.cmake)

function(reg_quote out value)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\\\"" value "${value}")
  set(${out} "\"${value}\"" PARENT_SCOPE)
endfunction()

function(reg_value out name value)
  reg_quote(q "${value}")
  set(${out} "${${out}}\"${name}\"=${q}\n" PARENT_SCOPE)
endfunction()

# Every directory value ends with a backslash: the program appends names directly.
set(release "")
list(LENGTH QUEN_LAYOUT n)
math(EXPR last "${n} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET QUEN_LAYOUT ${i} value)
  list(GET QUEN_LAYOUT ${j} dir)
  if(dir STREQUAL ".")
    set(dos "${QUEN_INSTALL_ROOT_DOS}\\")
  else()
    string(REPLACE "/" "\\" dir "${dir}")
    set(dos "${QUEN_INSTALL_ROOT_DOS}\\${dir}\\")
  endif()
  reg_value(release ${value} "${dos}")
endforeach()
reg_value(release CDPATH "${QUEN_CD_ROOT_DOS}")
reg_value(release QUICKSTARTFILE "")
reg_value(release EXCLUSIVEMODE "0")

set(debug "")
reg_value(debug SNIFFERPATH "${QUEN_INSTALL_ROOT_DOS}\\SNIFFER\\")
reg_value(debug SNIFFER_RANGE_MIN "0")
reg_value(debug SNIFFER_RANGE_MAX "0")
reg_value(debug MODELNAME "")
# A single-player server ends with the client that started it.
reg_value(debug KILLSERVERONEXIT "1")
reg_value(debug PACKETSNIFFER "0")

set(drives "")
reg_value(drives C "${DRIVE_C}")
reg_value(drives D "${DRIVE_D}")
reg_value(drives DType "cdrom")

set(programs "")
reg_value(programs QuenSrvr.exe "${SERVER}")

file(WRITE "${OUT}.tmp"
  "Windows Registry Editor Version 5.00\n\n"
  "[HKEY_CURRENT_USER\\SOFTWARE\\Halvorn\\Quenbar\\Release]\n${release}\n"
  "[HKEY_CURRENT_USER\\SOFTWARE\\Halvorn\\Quenbar\\Debug]\n${debug}\n"
  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuenbarPlatform\\Drives]\n${drives}\n"
  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuenbarPlatform\\Programs]\n${programs}")
file(RENAME "${OUT}.tmp" "${OUT}")
