# SPDX-License-Identifier: GPL-3.0-or-later
# The CD writer: libisoburn builds the image (libisofs) and writes it
# (libburn). It is loaded with dlopen at the first use of a recorder: only
# the headers are needed at build time.
pkg_check_modules(ISOBURN REQUIRED libisoburn-1 libburn-1 libisofs-1)
pkg_get_variable(ISOBURN_LIBRARY_DIR libisoburn-1 libdir)
target_include_directories(${target} PRIVATE ${ISOBURN_INCLUDE_DIRS})
target_compile_definitions(${target} PRIVATE VAULTORA_ISOBURN_LIBRARY="${ISOBURN_LIBRARY_DIR}/libisoburn.so.1")
