# SPDX-License-Identifier: GPL-3.0-or-later
# The FTP upload benchmark's driver (bench/ftp/run.sh builds it; not part of
# the default build or of CI).
add_executable(bench_ftp EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/ftp/bench_ftp.cpp)
target_link_libraries(bench_ftp PRIVATE vaultora_destinations vaultora_ui Qt6::Widgets)
