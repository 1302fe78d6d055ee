# SPDX-License-Identifier: GPL-3.0-or-later
# The restore benchmark's driver (bench/restore/run.sh builds and runs it).
add_executable(bench_restore EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/restore/bench_restore.cpp)
target_include_directories(bench_restore PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(bench_restore PRIVATE vaultora_restore vaultora_ui Qt6::Widgets)
