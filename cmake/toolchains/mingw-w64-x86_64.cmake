# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (the
# "posix" thread model, which std::thread and std::mutex need).
#
#   cmake -S . -B build-windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake -DQUARVEL_GUI=OFF
#
# or `cmake --preset windows`. When Wine is installed, the built programs run
# under it: ctest runs the tests and test discovery through tools/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUARVEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUARVEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUARVEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUARVEL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUARVEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry the C++ runtime inside: nothing to copy beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(QUARVEL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
# A copy of this file outside the source tree (the Windows Qt keeps one)
# runs Wine directly.
if(QUARVEL_WINE AND EXISTS ${CMAKE_CURRENT_LIST_DIR}/../../tools/wine-run.sh)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../tools/wine-run.sh)
elseif(QUARVEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QUARVEL_WINE})
endif()

# Qt and DCMTK for Windows, built from Debian's sources by
# tools/build-qt-windows.sh and tools/build-dcmtk-windows.sh into prefixes
# named after their versions under QUARVEL_DEPS (/opt/quarvel-deps). Where
# they are, the editor and the DICOM checks are built too. Qt's tools (moc,
# uic, rcc) are the build machine's own of the same version.
# Not while Qt or DCMTK themselves are built (QUARVEL_BUILDING_DEPS in the
# environment).
if(NOT QUARVEL_DEPS)
    set(QUARVEL_DEPS /opt/quarvel-deps)
endif()
set(quarvel_deps_prefixes "")
if(NOT DEFINED ENV{QUARVEL_BUILDING_DEPS})
    file(GLOB quarvel_deps_prefixes LIST_DIRECTORIES true
         ${QUARVEL_DEPS}/qt-*-mingw64/.complete ${QUARVEL_DEPS}/dcmtk-*-mingw64/.complete)
endif()
foreach(stamp IN LISTS quarvel_deps_prefixes)
    get_filename_component(prefix ${stamp} DIRECTORY)
    list(APPEND CMAKE_FIND_ROOT_PATH ${prefix})
    list(APPEND CMAKE_PREFIX_PATH ${prefix})
    if(prefix MATCHES "/qt-[^/]*$")
        set(QUARVEL_WINDOWS_QT ${prefix})
        set(QT_HOST_PATH /usr)
        set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
    else()
        set(QUARVEL_WINDOWS_DCMTK ${prefix})
        # DCMTK keeps its CMake files in cmake/ on Windows.
        set(DCMTK_DIR ${prefix}/cmake)
    endif()
endforeach()
