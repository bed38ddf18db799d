# SPDX-License-Identifier: MIT
# Settings of the Windows build (MinGW-w64).

# The DLL and the programs carry their C and C++ runtime inside, so they need
# nothing but Windows itself.
add_link_options(-static -static-libgcc -static-libstdc++)

# Windows 10 and later; the wide ("W") API everywhere.
add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 UNICODE _UNICODE
                        WIN32_LEAN_AND_MEAN NOMINMAX)

# Programs and the DLL side by side, so every program finds the DLL.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Built on Linux, the programs run under Wine: ctest, test discovery and the
# build's own helper runs go through a wrapper with a Wine prefix of this
# build folder.
if(CMAKE_CROSSCOMPILING)
  find_program(SCRIBA8_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  if(SCRIBA8_WINE)
    set(SCRIBA8_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  else()
    message(STATUS "Wine not found: the Windows programs build but their tests cannot run")
  endif()
endif()
