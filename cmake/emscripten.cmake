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

# Linking runs Emscripten's JavaScript optimizer on Node.js, which needs the
# acorn parser; Debian's node-acorn puts it where Node.js does not look by itself.
set(korvane_debian_node_modules /usr/share/nodejs)
if(EXISTS ${korvane_debian_node_modules}/acorn)
    set(CMAKE_CXX_LINKER_LAUNCHER
        ${CMAKE_COMMAND} -E env "NODE_PATH=${korvane_debian_node_modules}:$ENV{NODE_PATH}")
endif()
