# SPDX-License-Identifier: GPL-3.0-or-later
# `make package` (or cpack in a build folder): orvane_VERSION_amd64.deb of what `make install`
# installs, under /usr. Its dependencies come from the binaries (dpkg-shlibdeps); the shlibs file
# it carries lets other packages depend on libgeodrel by its SONAME.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orvane developers")
set(CPACK_PACKAGE_CONTACT "The Orvane developers <devel@orvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor for NMEA 0183 GPS receivers")
set(CPACK_PACKAGE_DESCRIPTION "Orvane reads a GPS receiver on a serial port, over TCP or UDP, or through
gpsd, decodes its NMEA 0183 sentences and shows the satellites in a sky view,
the fix data on a data monitor and the track over map layers (GPX, coastlines,
bitmaps, S-57 nautical charts). It records and replays logs.

The package also holds the command-line tools orvane-nmea (decodes logs and
live sources), nmeasim (a simulated receiver), orvane-map (describes and draws
map files without a display), marlisk (the S-57 chart converter) and Geodrel,
the datum library with a C interface.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://orvane.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps finds the package's own library here, the programs carrying no RPATH.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/geodrel)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The loader's cache is renewed by libc's trigger alone. CPack would add a postinst and a postrm
# that call ldconfig, and a postrm keeps a removed package in dpkg's list until it is purged.
# Naming scripts that do not exist keeps CPack from writing its own (it warns that they are
# missing).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/triggers
    ${CMAKE_CURRENT_SOURCE_DIR}/no-maintainer-scripts/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/no-maintainer-scripts/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
