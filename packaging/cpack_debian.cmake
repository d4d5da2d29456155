# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package (scripts/package.sh). Library dependencies are read from
# the binaries by dpkg-shlibdeps; the Qt platform plugins are loaded at run
# time, so no binary names them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME crunchwise)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Crunchwise developers")
set(CPACK_PACKAGE_CONTACT "The Crunchwise developers <support@crunchwise.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compress and expand SZDD files in a window")
set(CPACK_PACKAGE_DESCRIPTION
    "Crunchwise is a desktop tool for LZ-compressed SZDD files, whose names
end in an underscore (SETUP.EX_, DRIVER.DL_). One window shows a drive
list, a folder list and a file list: compress or expand the chosen files,
send them to the Trash, rename them or look at their properties.
Double-clicking an SZDD file in the file manager opens it in Crunchwise;
the file manager's menu offers Expand here and Compress with Crunchwise
(KDE, PCManFM, PCManFM-Qt, Caja with caja-actions).
.
The package also installs the command-line tools szdd-compress and
szdd-expand.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${CRUNCHWISE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
