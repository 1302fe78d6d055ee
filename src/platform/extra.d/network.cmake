# SPDX-License-Identifier: GPL-3.0-or-later
# The TCP client uses Qt's network enumerations only; its sockets are made by
# the network module (cmake/ProgramModules.cmake), so Qt's network library is
# not linked.
target_include_directories(${target} PRIVATE $<TARGET_PROPERTY:Qt6::Network,INTERFACE_INCLUDE_DIRECTORIES>)
