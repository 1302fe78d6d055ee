# SPDX-License-Identifier: GPL-3.0-or-later
# Ending the session after a run asks logind over D-Bus.
find_package(Qt6 REQUIRED COMPONENTS DBus)
target_link_libraries(${target} PUBLIC Qt6::DBus)
