# The Debian package: `cpack -G DEB` in a build tree gives
# quarvel_<version>_<arch>.deb with what packaging/CMakeLists.txt installs.
# dpkg-shlibdeps (dpkg-dev) computes the library dependencies.

set(CPACK_PACKAGE_NAME quarvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quarvel developers")
set(CPACK_PACKAGE_CONTACT "The Quarvel developers <maintainers@quarvel.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${QUARVEL_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the configuration of the ZELNOR DICOM print server")
# Wrapped as Debian wants it; the empty line separates the paragraphs.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quarvel creates, edits and checks the plain-text configuration file of\n"
    "the ZELNOR DICOM print server: printers, paper sizes, header bitmaps,\n"
    "DICOM and layout settings. It saves the file with a backup of the one it\n"
    "replaces and can restart the server. It sends a ping or a test page to a\n"
    "printer.\n"
    "\n"
    "quarvel-cfg is its companion for scripts and terminals: it writes,\n"
    "normalizes and checks configuration files, shows what a save would\n"
    "change, reads and writes them as JSON, gets and sets single values,\n"
    "tests printers and restarts the server, without a display.\n"
    "\n"
    "The Ansible module quarvel_config changes the configuration of many\n"
    "servers at once, idempotent and with check and diff mode.")

# The package installs where the programs were built to look for their data.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The server and its start script are Windows programs; on Linux they run
# under Wine, which the restart then uses. Ansible runs the module.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine, ansible-core")

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git" "/build[^/]*/")

include(CPack)
