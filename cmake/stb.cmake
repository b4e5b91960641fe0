# stb_image and stb_image_resize are installed, never copied into the tree:
# Debian's libstb-dev on Linux (also used by the mingw-w64 cross build, the
# headers being plain C), vcpkg's stb on Windows.
find_path(STB_INCLUDE_DIR stb_image.h
          PATH_SUFFIXES stb
          PATHS /usr/include /usr/local/include
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT STB_INCLUDE_DIR)
    message(FATAL_ERROR "stb_image.h not found: install libstb-dev (Debian/Ubuntu) or vcpkg's stb")
endif()
foreach(header stb_image_resize.h stb_image_write.h)
    if(NOT EXISTS "${STB_INCLUDE_DIR}/${header}")
        message(FATAL_ERROR "${header} not found next to stb_image.h in ${STB_INCLUDE_DIR}")
    endif()
endforeach()
