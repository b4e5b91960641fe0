# stb_image, stb_image_resize and stb_image_write are installed, never copied
# into the tree: Debian's libstb-dev on Linux (also used by the mingw-w64 and
# Emscripten builds, the headers being plain C), vcpkg's stb on Windows.
#
# stb_image must be 2.28 or later: 2.27, Debian 12's, has faults that a
# damaged image file reaches (shifts past the width of an int, writes past its
# Huffman tables, uninitialised tables). Where the system's is older,
# tools/install_dependencies.sh puts Debian 13's stb_image.h alone in the
# folder below, which is looked at first; the other two headers stay the
# system's.
set(KORVANE_FIXED_STB_IMAGE_DIR /usr/local/include/stb-trixie)
set(KORVANE_STB_IMAGE_MINIMUM 2.28)

find_path(STB_INCLUDE_DIR stb_image_resize.h
          PATH_SUFFIXES stb
          PATHS /usr/include /usr/local/include
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT STB_INCLUDE_DIR)
    message(FATAL_ERROR "stb_image_resize.h not found: install libstb-dev (Debian/Ubuntu) or vcpkg's stb")
endif()
if(NOT EXISTS "${STB_INCLUDE_DIR}/stb_image_write.h")
    message(FATAL_ERROR "stb_image_write.h not found next to stb_image_resize.h in ${STB_INCLUDE_DIR}")
endif()

# The version stb_image.h names on its first line ("stb_image - v2.30 - ..."),
# or an empty string.
function(korvane_stb_image_version header result)
    set(version "")
    if(EXISTS "${header}")
        file(STRINGS "${header}" first_line LIMIT_COUNT 1)
        if(first_line MATCHES "stb_image - v([0-9]+\\.[0-9]+)")
            set(version "${CMAKE_MATCH_1}")
        endif()
    endif()
    set(${result} "${version}" PARENT_SCOPE)
endfunction()

set(STB_IMAGE_INCLUDE_DIR "")
set(rejected "")
foreach(candidate IN ITEMS "${KORVANE_FIXED_STB_IMAGE_DIR}" "${STB_INCLUDE_DIR}")
    korvane_stb_image_version("${candidate}/stb_image.h" version)
    if(version AND version VERSION_GREATER_EQUAL KORVANE_STB_IMAGE_MINIMUM)
        set(STB_IMAGE_INCLUDE_DIR "${candidate}")
        break()
    elseif(version)
        string(APPEND rejected " ${candidate}/stb_image.h is ${version}.")
    endif()
endforeach()
if(NOT STB_IMAGE_INCLUDE_DIR)
    message(FATAL_ERROR "stb_image.h ${KORVANE_STB_IMAGE_MINIMUM} or later not found.${rejected} "
                        "Run tools/install_dependencies.sh: it puts Debian 13's stb_image.h "
                        "in ${KORVANE_FIXED_STB_IMAGE_DIR}.")
endif()
message(STATUS "stb_image ${version} from ${STB_IMAGE_INCLUDE_DIR}")

# Every user of the headers links this, so all see the same stb_image.
# Installed headers: their own warnings are not ours to fix.
add_library(korvane_stb INTERFACE)
target_include_directories(korvane_stb SYSTEM INTERFACE ${STB_IMAGE_INCLUDE_DIR} ${STB_INCLUDE_DIR})
