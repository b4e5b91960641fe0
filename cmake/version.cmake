# The version is set once, in project() of the top CMakeLists.txt. The
# resource script reads it from a generated header (About box, VERSIONINFO);
# the package and the end-to-end tests take it from here.
foreach(part MAJOR MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${part}}" STREQUAL "")
        set(korvane_version_${part} 0)
    else()
        set(korvane_version_${part} ${PROJECT_VERSION_${part}})
    endif()
endforeach()
set(KORVANE_VERSION_TEXT "${PROJECT_VERSION}")
string(JOIN "," KORVANE_VERSION_NUMBERS ${korvane_version_MAJOR} ${korvane_version_MINOR}
       ${korvane_version_PATCH} ${korvane_version_TWEAK})

# The players' zip: Korvane-<version>-win64.zip in the build folder of the game.
set(KORVANE_PACKAGE_NAME "${PROJECT_NAME}-${PROJECT_VERSION}-win64")

set(KORVANE_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/resources/korvane_version.h.in
               ${KORVANE_GENERATED_DIR}/korvane_version.h @ONLY)
