# SPDX-License-Identifier: GPL-3.0-or-later
# The Internet transfer controls (FTP and HTTP) run on libcurl, loaded with
# dlopen at the first transfer: only its headers are needed at build time.
pkg_check_modules(LIBCURL REQUIRED libcurl)
target_include_directories(${target} PRIVATE ${LIBCURL_INCLUDE_DIRS})
target_compile_definitions(${target} PRIVATE VAULTORA_CURL_LIBRARY="${LIBCURL_LIBDIR}/libcurl.so.4")
