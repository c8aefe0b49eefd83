# Quorlane.exe built on Linux with MinGW-w64 against the static Qt of
# scripts/windows_qt.sh. The MinGW runtime goes inside the executable, and
# the tests run under Wine in a Wine prefix of the build's own, whose
# Recycle Bin is a trash folder inside the build as well.
add_link_options(-static)
set(QUORLANE_DIST_VERSION 1.01) # as the caption and the splash show it

find_program(QUORLANE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(QUORLANE_WINE NAMES wine64 wine)
if(QUORLANE_WINE)
    set(QUORLANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine_run.sh.in ${CMAKE_BINARY_DIR}/wine_run.sh @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                    WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine_run.sh)
    # The offscreen platform of a Windows Qt reads fonts from one folder:
    # the fonts the Linux tests have.
    file(GLOB fonts /usr/share/fonts/truetype/liberation2/*.ttf /usr/share/fonts/truetype/dejavu/*.ttf)
    file(COPY ${fonts} DESTINATION ${CMAKE_BINARY_DIR}/fonts)
else()
    message(STATUS "wine64 not found: the Windows tests can be built, not run")
endif()
