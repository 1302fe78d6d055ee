# SPDX-License-Identifier: GPL-3.0-or-later
# The speech object speaks through espeak-ng.
pkg_check_modules(ESPEAKNG REQUIRED IMPORTED_TARGET espeak-ng)
target_link_libraries(${target} PUBLIC PkgConfig::ESPEAKNG)
