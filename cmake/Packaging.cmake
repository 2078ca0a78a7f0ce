# The Debian package (scripts/package.sh): what `cmake --install` puts under /usr, with its dependencies taken
# from the shared libraries the executable links and the data the rest of the program needs at run time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stowline)
set(CPACK_PACKAGE_VENDOR "The Stowline developers")
set(CPACK_PACKAGE_CONTACT "The Stowline developers <maintainers@stowline.org>")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://stowline.org/")
# Debian wants the extended description's lines under 80 columns.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "clipboard history manager with an encrypted history
Stowline keeps everything you copy (text, links, colours, images, files and
rich text) in a history that is stored only on this computer and encrypted
with AES-256-GCM, with its key in a key file or the system keyring. A global
shortcut or the tray icon brings a floating panel forward, where the history
is searched and a clip is put back on the clipboard or pasted into the window
in front.

Text in copied images is recognised with Tesseract. Copied passwords and
tokens are recognised: the panel can filter them (and shows them like any
other clip), and the command line lists them without their text unless
asked. A command line serves scripts and pickers such as rofi or fzf.
Stowline runs on X11 and under XWayland.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time rather than linked: Qt's SVG icon engine for the icons, its TIFF reader for copied TIFF
# images, and Tesseract's English data for text recognition. The shared libraries' own packages are added to
# these by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-image-formats-plugins, tesseract-ocr-eng")
# The key can live in the system keyring instead of a key file.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-keyring")

include(CPack)
