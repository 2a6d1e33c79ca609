# cmake -DBUILD_DIR=... -DPREFIX=... [-DDESKTOP_FILE_VALIDATE=...] -P check_install.cmake
#
# Installs BUILD_DIR into PREFIX, emptied first, and checks that exactly the
# program, its desktop entry and its icons land in their standard places, that
# the entry names the installed program and icon, and that each icon has its
# size. Runs desktop-file-validate on the entry where it is installed.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

set(expected
    bin/tallivor
    share/applications/tallivor.desktop
    share/icons/hicolor/32x32/apps/tallivor.png
    share/icons/hicolor/64x64/apps/tallivor.png
    share/icons/hicolor/256x256/apps/tallivor.png)
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
set(sorted_expected ${expected})
list(SORT sorted_expected)
if(NOT installed STREQUAL sorted_expected)
    message(FATAL_ERROR "installed files differ.\nexpected: ${sorted_expected}\ninstalled: ${installed}")
endif()

execute_process(COMMAND test -x "${PREFIX}/bin/tallivor" RESULT_VARIABLE not_executable)
if(NOT not_executable EQUAL 0)
    message(FATAL_ERROR "bin/tallivor is not executable")
endif()

# The entry starts the installed program and shows the installed icon.
file(STRINGS "${PREFIX}/share/applications/tallivor.desktop" entry)
foreach(key IN ITEMS "Exec=tallivor" "Icon=tallivor" "Type=Application" "Name=Tallivor")
    if(NOT key IN_LIST entry)
        message(FATAL_ERROR "the desktop entry lacks ${key}")
    endif()
endforeach()

# Each icon is as large as the folder it lies in says: width and height are
# the big-endian words at bytes 16 and 20 of a PNG file.
foreach(size IN ITEMS 32 64 256)
    set(icon "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/tallivor.png")
    file(READ "${icon}" header LIMIT 24 HEX)
    string(SUBSTRING "${header}" 0 16 signature)
    string(SUBSTRING "${header}" 32 8 width)
    string(SUBSTRING "${header}" 40 8 height)
    math(EXPR width "0x${width}")
    math(EXPR height "0x${height}")
    if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size OR NOT height EQUAL size)
        message(FATAL_ERROR "${icon} is not a ${size}x${size} PNG (${width}x${height})")
    endif()
endforeach()

if(DESKTOP_FILE_VALIDATE)
    execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${PREFIX}/share/applications/tallivor.desktop"
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0 OR NOT output STREQUAL "")
        message(FATAL_ERROR "desktop-file-validate:\n${output}")
    endif()
    message(STATUS "desktop-file-validate: no complaints")
else()
    message(STATUS "desktop-file-validate not installed; the entry was not validated")
endif()

file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installed as expected")
