# Installing and the Debian package (cpack -G DEB in the build folder). Included from the top
# CMakeLists.txt, so CPack's settings are written for the whole build.
#
# Layout: bin/kestrolin, the skins and the icon library in ${KESTROLIN_INSTALL_DATADIR}
# (src/skin, src/platform), and here what the desktop and the package tools look for.

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(packaging_out ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${packaging_out})

# gzip -9n: the best compression and no name or time stamp inside, so the same input makes the
# same file (Debian's policy for manual pages and changelogs).
function(kestrolin_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -9n -c ${source} > ${output}
        DEPENDS ${source}
        COMMENT "Compressing ${source}"
        VERBATIM)
endfunction()

if(UNIX AND NOT APPLE)
    kestrolin_gzip(${packaging}/kestrolin.1 ${packaging_out}/kestrolin.1.gz)
    kestrolin_gzip(${packaging}/changelog ${packaging_out}/changelog.Debian.gz)
    add_custom_target(kestrolin_package_files ALL
        DEPENDS ${packaging_out}/kestrolin.1.gz ${packaging_out}/changelog.Debian.gz)

    install(FILES resources/kestrolin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    foreach(size 16 32 48 256)
        install(FILES resources/icons/MAINICON_${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME kestrolin.png)
    endforeach()
    install(FILES ${packaging}/org.example.kestrolin.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${packaging_out}/kestrolin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${packaging}/copyright ${packaging_out}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrolin)
    # lintian's warnings that are right for this package, each with its reason in the file.
    # Left as they are, as information only: the hardening tags (no -z now, no _FORTIFY_SOURCE:
    # the build takes the compiler's defaults) and the .comment section strip leaves.
    install(FILES ${packaging}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kestrolin)
endif()

# The package version is the project's a.b.c with the build number as the Debian revision; the
# changelog's newest entry must name the same version, or lintian and apt would disagree.
set(deb_version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
file(STRINGS ${packaging}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^kestrolin \\(${deb_version}-${PROJECT_VERSION_TWEAK}\\) ")
    message(FATAL_ERROR "packaging/changelog starts with '${changelog_top}'; its newest entry "
        "must be for version ${deb_version}-${PROJECT_VERSION_TWEAK}")
endif()

set(CPACK_PACKAGE_NAME kestrolin)
set(CPACK_PACKAGE_VENDOR Kestrolin)
set(CPACK_PACKAGE_CONTACT "Kestrolin <support@kestrolin.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://kestrolin.example.org)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop shortcut manager with pages of launch buttons")
# Read here: CPack's own reading of a description file escapes apostrophes for XML.
file(READ ${packaging}/description.txt CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_VERSION ${deb_version})
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${PROJECT_VERSION_TWEAK})
# Files and folders with the permissions Debian expects (0755 folders, 0644 data), whatever the
# builder's umask.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The libraries the program links, with their versions, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the libraries:
# - Qt's Russian translations: without them the standard buttons of a Russian interface say
#   "Cancel" and "Yes";
# - Nimbus Sans, the face the program's windows ask for: the dialogs have fixed sizes made for
#   its widths, and the wider faces that stand in without it cut captions short.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-urw-base35")
# Recommended, the program works without them:
# - a PulseAudio sound server (PipeWire's or PulseAudio's): the event sounds play through it, and
#   the program is silent without one;
# - the Qt image plug-in for SVG and icon themes, for the icons of commands' file types;
# - xdg-utils, which opens documents, folders and links.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "pipewire-pulse | pulseaudio, libqt6svg6, hicolor-icon-theme, adwaita-icon-theme, xdg-utils")
include(CPack)
