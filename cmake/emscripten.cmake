# Toolchain file of the web preset: Emscripten's own, found beside emcc
# (Debian's emscripten package keeps it under /usr/share/emscripten, emsdk
# under upstream/emscripten).
find_program(KORVANE_EMCC emcc)
if(NOT KORVANE_EMCC)
    message(FATAL_ERROR "emcc not found: install Emscripten "
                        "(Debian/Ubuntu: emscripten; elsewhere emsdk)")
endif()
get_filename_component(korvane_emscripten_root "${KORVANE_EMCC}" REALPATH)
get_filename_component(korvane_emscripten_root "${korvane_emscripten_root}" DIRECTORY)
include(${korvane_emscripten_root}/cmake/Modules/Platform/Emscripten.cmake)
