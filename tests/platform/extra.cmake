# SPDX-License-Identifier: GPL-3.0-or-later
# A second program that uses the settings store, for the tests that run two
# processes against one database.
add_executable(vaultora_store_peer ${CMAKE_CURRENT_SOURCE_DIR}/platform/helpers/store_peer.cpp)
target_link_libraries(vaultora_store_peer PRIVATE vaultora_platform)
add_dependencies(${target} vaultora_store_peer)
target_compile_definitions(${target} PRIVATE STORE_PEER="$<TARGET_FILE:vaultora_store_peer>")
