# SPDX-License-Identifier: GPL-3.0-or-later
# A libFuzzer target for the language-file loader, only with clang (bench/fuzz.sh
# configures an instrumented clang build and runs it; not part of CI's run).
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(fuzz_language EXCLUDE_FROM_ALL ${CMAKE_CURRENT_SOURCE_DIR}/common/fuzz/fuzz_language.cpp)
  target_include_directories(fuzz_language PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(fuzz_language PRIVATE vaultora_common Qt6::Widgets)
  target_compile_options(fuzz_language PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_language PRIVATE -fsanitize=fuzzer,address,undefined)
endif()
