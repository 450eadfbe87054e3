# The Debian package (cpack -G DEB): everything that is installed, in one
# package, with the shared-library dependencies found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME wsqview)
set(CPACK_PACKAGE_VENDOR "wsqview developers")
set(CPACK_PACKAGE_CONTACT "wsqview developers <wsqview@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "WSQ fingerprint image viewer, converter and codec")
set(CPACK_PACKAGE_DESCRIPTION "A viewer (wsqview) and converter (wsqconv) for WSQ fingerprint images and
common raster formats; the WSQ codec and image libraries with their headers
and CMake and pkg-config packages; a Qt image format plugin and a gdk-pixbuf
loader, so that Qt and GTK applications open WSQ files; the image/x-wsq MIME
type, an icon and a thumbnailer entry for file managers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Thumbnails are made by gdk-pixbuf-thumbnailer through the loader; the
# Python package, when built, needs numpy at run time.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgdk-pixbuf2.0-bin, shared-mime-info, desktop-file-utils")
if(WSQ_PYTHON)
  string(APPEND CPACK_DEBIAN_PACKAGE_RECOMMENDS ", python3, python3-numpy")
endif()
# One package holds every component, so that parts installed later (for
# example a Python module) join it without changes here.
set(CPACK_DEB_COMPONENT_INSTALL OFF)
include(CPack)
