# SPDX-License-Identifier: GPL-3.0-or-later
# OpenSSL's Blowfish is the independent reference of the cipher tests.
find_package(OpenSSL REQUIRED)
target_link_libraries(${target} PRIVATE OpenSSL::Crypto)

# The throughput benchmark's driver (bench/crypto/run.sh builds and runs it).
add_executable(bench_blowfish EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/bench/crypto/bench_blowfish.cpp)
target_link_libraries(bench_blowfish PRIVATE vaultora_crypto Qt6::Core)

# A libFuzzer target for the container decoder, only with clang: configure a
# build with CXX=clang++ and build fuzz_cry_container. The cipher sources are
# compiled into it so that they carry the fuzzer's coverage instrumentation.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  file(GLOB fuzz_crypto_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/crypto/*.cpp ${PROJECT_SOURCE_DIR}/src/crypto/*.h)
  add_executable(fuzz_cry_container EXCLUDE_FROM_ALL
    ${CMAKE_CURRENT_SOURCE_DIR}/crypto/fuzz/fuzz_cry_container.cpp ${fuzz_crypto_srcs})
  target_include_directories(fuzz_cry_container PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(fuzz_cry_container PRIVATE vaultora_common Qt6::Core)
  target_compile_options(fuzz_cry_container PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_cry_container PRIVATE -fsanitize=fuzzer,address,undefined)
endif()
