# SPDX-License-Identifier: GPL-3.0-or-later
# The benchmark's profile maker (bench/run.sh builds and runs it).
add_executable(bench_profile EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/bench_profile.cpp)
target_link_libraries(bench_profile PRIVATE vaultora_settings vaultora_ui Qt6::Widgets)

# A libFuzzer target for the profile-file loader, only with clang (bench/fuzz.sh
# configures an instrumented clang build and runs it; not part of CI's run).
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(fuzz_profile EXCLUDE_FROM_ALL ${CMAKE_CURRENT_SOURCE_DIR}/settings/fuzz/fuzz_profile.cpp)
  target_include_directories(fuzz_profile PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(fuzz_profile PRIVATE vaultora_settings vaultora_ui Qt6::Widgets)
  target_compile_options(fuzz_profile PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_profile PRIVATE -fsanitize=fuzzer,address,undefined)
endif()
