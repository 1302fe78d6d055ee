# SPDX-License-Identifier: GPL-3.0-or-later
# The benchmark's profile maker (bench/run.sh builds and runs it).
add_executable(bench_profile EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/bench_profile.cpp)
target_link_libraries(bench_profile PRIVATE vaultora_settings vaultora_ui Qt6::Widgets)
