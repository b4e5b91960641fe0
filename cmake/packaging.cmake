# The players' package: `cmake --build --preset windows-mingw --target package`
# writes ${KORVANE_PACKAGE_NAME}.zip into the build folder. It holds
# Korvane.exe with its data beside it, as the game looks for it, and a short
# readme; nothing is installed, the folder is unpacked and run as it is.
install(TARGETS Korvane RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/MQO ${PROJECT_SOURCE_DIR}/assets/MQA
                  ${PROJECT_SOURCE_DIR}/assets/TEXTURE
        DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/assets/Stage1.vtm DESTINATION .)
# Windows line ends, so every editor a player may open it with shows its lines.
configure_file(${PROJECT_SOURCE_DIR}/docs/player_readme.txt.in
               ${KORVANE_GENERATED_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${KORVANE_GENERATED_DIR}/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${KORVANE_PACKAGE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
# The files at the top of the zip: Windows' "Extract all" already makes a
# folder named after the zip, and a second one inside it would only be in the way.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# Players need no debugging information.
set(CPACK_STRIP_FILES ON)
include(CPack)
