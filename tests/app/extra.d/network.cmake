# SPDX-License-Identifier: GPL-3.0-or-later
# The fault tests' mail servers listen on Qt's TCP server.
target_link_libraries(${target} PRIVATE Qt6::Network)
