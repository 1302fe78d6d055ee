# The install test runs `cmake --install` on this build.
target_compile_definitions(${target} PRIVATE VAULTORA_CMAKE_COMMAND="${CMAKE_COMMAND}")
