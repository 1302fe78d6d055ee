# SPDX-License-Identifier: GPL-3.0-or-later
# The settings procedures fill and read the main window's controls, and the
# main window calls them back, so the two libraries resolve each other.
target_link_libraries(${target} PUBLIC vaultora_ui)
