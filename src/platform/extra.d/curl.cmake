# SPDX-License-Identifier: GPL-3.0-or-later
# The Internet transfer controls (FTP and HTTP) run on libcurl.
pkg_check_modules(LIBCURL REQUIRED IMPORTED_TARGET libcurl)
target_link_libraries(${target} PUBLIC PkgConfig::LIBCURL)
