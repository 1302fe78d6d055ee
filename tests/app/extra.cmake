# The install test runs `cmake --install` on this build.
target_compile_definitions(${target} PRIVATE VAULTORA_CMAKE_COMMAND="${CMAKE_COMMAND}")
# The start command's target is looked at with the build tool's own query.
target_compile_definitions(${target} PRIVATE VAULTORA_MAKE_PROGRAM="${CMAKE_MAKE_PROGRAM}"
                           VAULTORA_GENERATOR="${CMAKE_GENERATOR}")
