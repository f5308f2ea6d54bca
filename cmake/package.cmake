# The Debian package (cpack -G DEB, see scripts/package): one package with both programs, its
# library dependencies computed from the binaries, and maintainer scripts that make the system
# user and its state folder but enable nothing.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelvox)
set(CPACK_PACKAGE_VENDOR Varnok)
set(CPACK_PACKAGE_CONTACT "Zelvox maintainers <zelvox@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "KNX (EIB) to OPC UA server")
set(CPACK_PACKAGE_DESCRIPTION
    "Zelvox serves the group addresses of a KNX installation, with value, quality and time stamp, to OPC UA clients. It imports the project from an ESF export, connects to the bus over KNXnet/IP tunnelling and supervises the bus devices. The package carries the programs zelvox and zelvox-tool, the systemd unit zelvox.service (not enabled), the manual and a demo project.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/cmake/debian/postinst
    ${CMAKE_SOURCE_DIR}/cmake/debian/prerm
    ${CMAKE_SOURCE_DIR}/cmake/debian/postrm)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
