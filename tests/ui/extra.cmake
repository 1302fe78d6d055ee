# SPDX-License-Identifier: GPL-3.0-or-later
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${target} PRIVATE Qt6::Test)

# The baseline of the benchmark's start-up job (bench/run.sh builds and runs it).
add_executable(bench_bare_window EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/baseline/bare_window.cpp)
target_link_libraries(bench_bare_window PRIVATE Qt6::Widgets)
