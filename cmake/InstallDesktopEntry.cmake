# SPDX-License-Identifier: GPL-3.0-or-later
# Run by `cmake --install`: writes the desktop entry for the program as it
# is installed under this prefix, which only the install knows. Expects
# VAULTORA_DESKTOP_TEMPLATE and VAULTORA_DESKTOP_WORK (a file in the build
# folder) to be set.
get_filename_component(_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(_exe "${_prefix}/Vaultora/vaultora")
# The Exec value quoted as the desktop entry format wants it: inside the
# quotes " ` $ and \ take a backslash, then every backslash of the value is
# doubled; a % is written %%.
string(REPLACE "\\" "\\\\\\\\" _q "${_exe}")
foreach(_c "\"" "`" "$")
  string(REPLACE "${_c}" "\\\\${_c}" _q "${_q}")
endforeach()
string(REPLACE "%" "%%" _q "${_q}")
set(VAULTORA_DESKTOP_EXEC "\"${_q}\"")
configure_file("${VAULTORA_DESKTOP_TEMPLATE}" "${VAULTORA_DESKTOP_WORK}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
     FILES "${VAULTORA_DESKTOP_WORK}")
