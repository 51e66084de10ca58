# Installation into a desktop (binaries, desktop entry, AppStream metadata, icons) and the
# Debian package made by CPack:
#
#   cmake --install build --prefix /usr/local
#   (cd build && cpack -G DEB)          # codeplexor_<version>-<build>_<arch>.deb
#
# The icon is drawn once as SVG (data/icons/codeplexor.svg); the PNG sizes of the icon theme
# are rendered from it while building.

include(GNUInstallDirs)

set(CODEPLEXOR_APP_ID "org.codeplexor.CodePlexor")
set(CODEPLEXOR_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
set(CODEPLEXOR_RELEASE_DATE "2026-12-06")
set(CODEPLEXOR_ICON_SIZES 16 24 32 48 64 128 256 512)

set(codeplexor_data_dir "${PROJECT_SOURCE_DIR}/data")
set(codeplexor_icon_svg "${codeplexor_data_dir}/icons/codeplexor.svg")
set(codeplexor_icon_dir "${PROJECT_BINARY_DIR}/data/icons")

# --- Icons ---------------------------------------------------------------------------------

add_executable(codeplexor_render_icon "${codeplexor_data_dir}/icon-renderer/main.cpp")
target_link_libraries(codeplexor_render_icon PRIVATE Qt6::Core Qt6::Gui Qt6::Svg)

set(codeplexor_icon_pngs)
foreach(size IN LISTS CODEPLEXOR_ICON_SIZES)
    list(APPEND codeplexor_icon_pngs "${codeplexor_icon_dir}/${size}x${size}/apps/codeplexor.png")
endforeach()
# Leak checking is off for this build step: a sanitizer build must not fail on a tool's exit.
add_custom_command(
    OUTPUT ${codeplexor_icon_pngs}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:codeplexor_render_icon> "${codeplexor_icon_svg}"
            "${codeplexor_icon_dir}" codeplexor ${CODEPLEXOR_ICON_SIZES}
    DEPENDS codeplexor_render_icon "${codeplexor_icon_svg}"
    COMMENT "Rendering the application icon"
    VERBATIM)
add_custom_target(codeplexor_icon_pngs ALL DEPENDS ${codeplexor_icon_pngs})

# --- Desktop integration -------------------------------------------------------------------

configure_file("${codeplexor_data_dir}/${CODEPLEXOR_APP_ID}.metainfo.xml.in"
               "${PROJECT_BINARY_DIR}/data/${CODEPLEXOR_APP_ID}.metainfo.xml" @ONLY)

install(FILES "${codeplexor_data_dir}/${CODEPLEXOR_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PROJECT_BINARY_DIR}/data/${CODEPLEXOR_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${codeplexor_icon_svg}"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
foreach(size IN LISTS CODEPLEXOR_ICON_SIZES)
    install(FILES "${codeplexor_icon_dir}/${size}x${size}/apps/codeplexor.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/codeplexor" RENAME copyright)

# --- Manual pages and the package's change log -----------------------------------------------
# Debian wants both compressed with gzip -9n (no name or time stamp, so the bytes are the same
# on every build).

find_program(CODEPLEXOR_GZIP gzip REQUIRED)
set(codeplexor_package_contact "Code Plexor developers <maintainers@codeplexor.org>")
set(codeplexor_compressed_docs)
foreach(page codeplexor plexor)
    set(compressed "${PROJECT_BINARY_DIR}/data/man/${page}.1.gz")
    add_custom_command(
        OUTPUT "${compressed}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/data/man"
        COMMAND ${CODEPLEXOR_GZIP} -9n -c "${codeplexor_data_dir}/man/${page}.1" > "${compressed}"
        DEPENDS "${codeplexor_data_dir}/man/${page}.1"
        VERBATIM)
    list(APPEND codeplexor_compressed_docs "${compressed}")
    install(FILES "${compressed}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endforeach()

configure_file("${codeplexor_data_dir}/changelog.Debian.in"
               "${PROJECT_BINARY_DIR}/data/changelog.Debian" @ONLY)
set(codeplexor_changelog "${PROJECT_BINARY_DIR}/data/changelog.Debian.gz")
add_custom_command(
    OUTPUT "${codeplexor_changelog}"
    COMMAND ${CODEPLEXOR_GZIP} -9n -c "${PROJECT_BINARY_DIR}/data/changelog.Debian"
            > "${codeplexor_changelog}"
    DEPENDS "${PROJECT_BINARY_DIR}/data/changelog.Debian"
    VERBATIM)
list(APPEND codeplexor_compressed_docs "${codeplexor_changelog}")
install(FILES "${codeplexor_changelog}" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/codeplexor")
install(FILES "${codeplexor_data_dir}/lintian-overrides"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides" RENAME codeplexor)
add_custom_target(codeplexor_docs ALL DEPENDS ${codeplexor_compressed_docs})

# --- Debian package ------------------------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME codeplexor)
set(CPACK_PACKAGE_VENDOR "Code Plexor developers")
set(CPACK_PACKAGE_CONTACT "${codeplexor_package_contact}")
set(CPACK_PACKAGE_VERSION "${CODEPLEXOR_VERSION_TEXT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Gathers a project's source files into one text for an AI assistant")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Code Plexor scans a project folder into a file tree, lets you tick the files"
    "that matter and generates one text (prefix, file list, every file's content"
    "under a header, suffix) that goes to the clipboard, ready to paste into a"
    "conversation with an AI assistant. The package holds the desktop application"
    "and the command-line tool plexor.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${CODEPLEXOR_BUILD_NUMBER}")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binaries link come from dpkg-shlibdeps; Qt's plugins, loaded at run time,
# are named here: the platform plugins (xcb, wayland) and the SVG icon engine.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# wl-clipboard: copies made by the global shortcut while the window is in the back (Wayland);
# qt6-wayland: the native Wayland platform.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core | fonts-freefont-ttf, wl-clipboard, qt6-wayland")

include(CPack)
