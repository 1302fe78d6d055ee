# SPDX-License-Identifier: GPL-3.0-or-later
# Link options that cut what the dynamic loader does at every start of the
# program: optimised hash tables, no dependency on a library nothing uses,
# and no search of the build folder before the program's own folder.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  add_link_options(LINKER:-O1 LINKER:--as-needed)
endif()
