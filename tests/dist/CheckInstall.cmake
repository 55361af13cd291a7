# Installs the build tree into an empty prefix and checks that a desktop finds what it looks for
# there: both programs, the menu entry and the icon it names in every size, the AppStream data
# for that entry, the compressed manual pages, the bash completion. With the validators
# installed, they check the installed entry and metadata too.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DAPP_ID=... -P CheckInstall.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  OUTPUT_QUIET RESULT_VARIABLE result)
if(result)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(share "${PREFIX}/share")
set(desktop "${share}/applications/${APP_ID}.desktop")
set(metainfo "${share}/metainfo/${APP_ID}.metainfo.xml")
set(failures)
foreach(path bin/ryk bin/ryk-cli share/applications/${APP_ID}.desktop
    share/metainfo/${APP_ID}.metainfo.xml share/icons/hicolor/scalable/apps/${APP_ID}.svg
    share/man/man1/ryk.1.gz share/man/man1/ryk-cli.1.gz
    share/doc/rykmere/copyright share/doc/rykmere/changelog.gz
    share/bash-completion/completions/ryk-cli)
  if(NOT EXISTS "${PREFIX}/${path}")
    list(APPEND failures "missing ${path}")
  endif()
endforeach()

# A PNG's width and height stand at bytes 16-23; each must match the folder it lies in.
foreach(size 16 32 48 64 128 256)
  set(png "${share}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png")
  if(NOT EXISTS "${png}")
    list(APPEND failures "missing icon ${size}x${size}")
    continue()
  endif()
  file(READ "${png}" header OFFSET 16 LIMIT 8 HEX)
  math(EXPR expected "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${expected}" 2 -1 digits)
  string(LENGTH "${digits}" length)
  math(EXPR zeros "8 - ${length}")
  string(REPEAT "0" ${zeros} padding)
  string(TOLOWER "${padding}${digits}${padding}${digits}" want)
  if(NOT header STREQUAL want)
    list(APPEND failures "icon ${size}x${size} is ${header}")
  endif()
endforeach()

# The entry must name an installed program and the installed icon.
if(EXISTS "${desktop}")
  file(STRINGS "${desktop}" icon REGEX "^Icon=")
  if(NOT icon STREQUAL "Icon=${APP_ID}")
    list(APPEND failures "desktop entry names ${icon}")
  endif()
  file(STRINGS "${desktop}" exec REGEX "^Exec=")
  string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" program "${exec}")
  if(NOT EXISTS "${PREFIX}/bin/${program}")
    list(APPEND failures "desktop entry starts ${program}, which is not installed")
  endif()
endif()
if(EXISTS "${metainfo}")
  file(READ "${metainfo}" xml)
  if(NOT xml MATCHES "<id>${APP_ID}</id>"
     OR NOT xml MATCHES "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>")
    list(APPEND failures "metainfo id or launchable differ from ${APP_ID}")
  endif()
endif()

find_program(desktopFileValidate desktop-file-validate)
if(desktopFileValidate AND EXISTS "${desktop}")
  execute_process(COMMAND "${desktopFileValidate}" "${desktop}" RESULT_VARIABLE result)
  if(result)
    list(APPEND failures "desktop-file-validate refused the entry")
  endif()
else()
  message(STATUS "desktop-file-validate not installed: entry not validated")
endif()
find_program(appstreamcli appstreamcli)
if(appstreamcli AND EXISTS "${metainfo}")
  execute_process(COMMAND "${appstreamcli}" validate-tree --no-net "${PREFIX}"
    RESULT_VARIABLE result)
  if(result)
    list(APPEND failures "appstreamcli refused the installed tree")
  endif()
else()
  message(STATUS "appstreamcli not installed: metadata not validated")
endif()

file(REMOVE_RECURSE "${PREFIX}")
if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Installed tree:\n  ${text}")
endif()
