# cmake -DBUILD_DIR=... -DPREFIX=... [-DDESKTOP_FILE_VALIDATE=...] [-DAPPSTREAMCLI=...]
#       [-DMAN=...] -P check_install.cmake
#
# Installs BUILD_DIR into PREFIX, emptied first, and checks that exactly the
# program, its desktop entry and metadata, its icons, its manual page and its
# copyright and changelog land in their standard places, that the entry names
# the installed program and icon, and that each icon has its size. Where the
# checkers are installed, it runs desktop-file-validate on the entry,
# appstreamcli on the installed tree, and man on the page with its warnings on.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

set(app_id example.quorvex.tallivor)
set(expected
    bin/tallivor
    share/applications/${app_id}.desktop
    share/doc/tallivor/changelog.gz
    share/doc/tallivor/copyright
    share/man/man1/tallivor.1.gz
    share/metainfo/${app_id}.metainfo.xml
    share/icons/hicolor/32x32/apps/tallivor.png
    share/icons/hicolor/48x48/apps/tallivor.png
    share/icons/hicolor/64x64/apps/tallivor.png
    share/icons/hicolor/256x256/apps/tallivor.png
    share/icons/hicolor/scalable/apps/tallivor.svg)
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
file(STRINGS "${PREFIX}/share/applications/${app_id}.desktop" entry)
# It takes one file, and claims no type: it would become the opener of every
# file the desktop knows nothing about.
foreach(key IN ITEMS "Exec=tallivor %f" "Icon=tallivor" "StartupNotify=true" "Type=Application" "Name=Tallivor")
    if(NOT key IN_LIST entry)
        message(FATAL_ERROR "the desktop entry lacks ${key}")
    endif()
endforeach()
list(FILTER entry INCLUDE REGEX "^MimeType=")
if(entry)
    message(FATAL_ERROR "the desktop entry claims file types: ${entry}")
endif()

# Each icon is as large as the folder it lies in says: width and height are
# the big-endian words at bytes 16 and 20 of a PNG file.
foreach(size IN ITEMS 32 48 64 256)
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

# Runs a checker given after COMMAND. It must exit with 0 and write nothing
# to the streams named after QUIET (OUTPUT, ERROR).
function(expect_no_complaints label)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "QUIET;COMMAND")
    execute_process(COMMAND ${arg_COMMAND}
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    set(complaints "")
    if("OUTPUT" IN_LIST arg_QUIET)
        string(APPEND complaints "${out}")
    endif()
    if("ERROR" IN_LIST arg_QUIET)
        string(APPEND complaints "${err}")
    endif()
    if(NOT complaints STREQUAL "")
        message(FATAL_ERROR "${label}:\n${complaints}")
    elseif(NOT result EQUAL 0)
        message(FATAL_ERROR "${label} failed (${result}):\n${out}${err}")
    endif()
    message(STATUS "${label}: no complaints")
endfunction()

if(DESKTOP_FILE_VALIDATE)
    expect_no_complaints(desktop-file-validate QUIET OUTPUT ERROR
        COMMAND "${DESKTOP_FILE_VALIDATE}" "${PREFIX}/share/applications/${app_id}.desktop")
else()
    message(STATUS "desktop-file-validate not installed; the entry was not validated")
endif()

# The whole tree, so that the metadata's launchable is checked against the
# entry as installed. Hints alone leave the exit status 0.
if(APPSTREAMCLI)
    expect_no_complaints("appstreamcli validate-tree"
        COMMAND "${APPSTREAMCLI}" validate-tree --no-net --pedantic "${PREFIX}")
else()
    message(STATUS "appstreamcli not installed; the metadata was not validated")
endif()

# As Debian's checks read a page: every troff complaint goes to stderr.
if(MAN)
    expect_no_complaints("man --warnings" QUIET ERROR
        COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=C.UTF-8 MANROFFSEQ= MANWIDTH=80
                "${MAN}" --warnings -E UTF-8 -l -Tutf8 -Z "${PREFIX}/share/man/man1/tallivor.1.gz")
else()
    message(STATUS "man not installed; the manual page was not checked")
endif()

file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installed as expected")
