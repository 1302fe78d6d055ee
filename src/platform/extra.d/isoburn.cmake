# SPDX-License-Identifier: GPL-3.0-or-later
# The CD writer: libisoburn builds the image (libisofs) and writes it (libburn).
pkg_check_modules(ISOBURN REQUIRED IMPORTED_TARGET libisoburn-1 libburn-1 libisofs-1)
target_link_libraries(${target} PRIVATE PkgConfig::ISOBURN)
