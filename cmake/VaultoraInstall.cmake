# SPDX-License-Identifier: GPL-3.0-or-later
# `cmake --install build --prefix DIR` lays out the portable program folder
# under DIR, as the build does under build/app:
#   DIR/Vaultora/vaultora, libglimmora.so and the modules (libvaultora_*.so)
#   DIR/Common/{language,bitmap,avi}
#   DIR/share/applications/vaultora.desktop (starts DIR/Vaultora/vaultora)
#   DIR/share/icons/hicolor/<size>/apps/vaultora.png
# The program keeps its profiles (*.pfl), Temp and error.log in these
# folders, so DIR must be writable by its user. An install over an earlier
# one replaces only the files listed here and leaves those alone.

# The image control library is found beside the program; both carry the
# same run path in the build and installed, so nothing is rewritten.
set_target_properties(vaultora glimmora PROPERTIES BUILD_WITH_INSTALL_RPATH ON INSTALL_RPATH "\$ORIGIN")
install(TARGETS vaultora RUNTIME DESTINATION Vaultora)
install(TARGETS glimmora vaultora_network LIBRARY DESTINATION Vaultora)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/Common/ DESTINATION Common)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/icons/hicolor DESTINATION share/icons)
install(CODE "set(VAULTORA_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/cmake/vaultora.desktop.in\")
set(VAULTORA_DESKTOP_WORK \"${CMAKE_BINARY_DIR}/install/vaultora.desktop\")")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallDesktopEntry.cmake)
