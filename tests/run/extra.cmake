# SPDX-License-Identifier: GPL-3.0-or-later
# The speed benchmark's driver (bench/run/run.sh builds and runs it).
add_executable(bench_zip_run EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/run/bench_zip_run.cpp)
target_link_libraries(bench_zip_run PRIVATE vaultora_run vaultora_ui Qt6::Widgets)
# The copy and synchronisation benchmark's driver (bench/copysync/run.sh).
add_executable(bench_copysync EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/copysync/bench_copysync.cpp)
target_link_libraries(bench_copysync PRIVATE vaultora_run vaultora_ui Qt6::Widgets)
