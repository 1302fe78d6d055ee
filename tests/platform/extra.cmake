# SPDX-License-Identifier: GPL-3.0-or-later
# A second program that uses the settings store, for the tests that run two
# processes against one database.
add_executable(vaultora_store_peer ${CMAKE_CURRENT_SOURCE_DIR}/platform/helpers/store_peer.cpp)
target_link_libraries(vaultora_store_peer PRIVATE vaultora_platform)
add_dependencies(${target} vaultora_store_peer)
target_compile_definitions(${target} PRIVATE STORE_PEER="$<TARGET_FILE:vaultora_store_peer>")

# A libFuzzer target for the ZIP reader and the archive component, only with
# clang (bench/fuzz.sh configures an instrumented clang build and runs it; not
# part of CI's run).
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(fuzz_zip_reader EXCLUDE_FROM_ALL ${CMAKE_CURRENT_SOURCE_DIR}/platform/fuzz/fuzz_zip_reader.cpp)
  target_include_directories(fuzz_zip_reader PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(fuzz_zip_reader PRIVATE vaultora_platform Qt6::Widgets)
  target_compile_options(fuzz_zip_reader PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_zip_reader PRIVATE -fsanitize=fuzzer,address,undefined)
endif()
