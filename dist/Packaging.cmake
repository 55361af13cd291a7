# The Debian package, made by `cpack` in a build tree (`./build.sh package`); the maintainer,
# RYK_PACKAGE_CONTACT, is set in dist/CMakeLists.txt, whose changelog names it too.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rykmere)
set(CPACK_PACKAGE_VENDOR "Rykmere developers")
set(CPACK_PACKAGE_CONTACT "${RYK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plan file transfers between folders, check them, then run them")
set(CPACK_PACKAGE_DESCRIPTION "\
Rykmere copies, moves, finds, deletes and synchronises files between
directory trees. A job names a source directory, name patterns such as
*.c;*.h, names to leave out, a destination and a mode: update, move,
search, delete, a response file of command lines, or sync.

Rykmere first plans the job without touching anything and lists every
planned operation to be checked and edited; only when told to does it run
the list, marking each line done or failed.

The package holds the desktop program ryk (Qt) and ryk-cli, the same
engine and command line for terminals and scripts.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://rykmere.github.io/")
set(CPACK_STRIP_FILES ON)
# Debian wants 0755 directories whatever the umask of the one who builds.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts in the desktop program (message box and dialog buttons, the folder picker)
# speak Japanese, as ours do, only with Qt's translations; without them they fall back to
# English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
