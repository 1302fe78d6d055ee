# SPDX-License-Identifier: GPL-3.0-or-later
target_link_libraries(${target} PRIVATE glimmora Qt6::PrintSupport ${CMAKE_DL_LIBS})
