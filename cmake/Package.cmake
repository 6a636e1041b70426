# Install rules and the Debian package (tools/package builds it). The program finds its
# helpers, the "Grid" folder, Executables.xml and Help.pdf beside its executable, so all of
# them lie in one folder; /usr/bin/strataview is a link to the program there, and the
# program resolves the link to find that folder. The desktop files go where desktops look.
include(GNUInstallDirs)

set(STRATAVIEW_PACKAGE_MAINTAINER "Strataview developers <developers@strataview.org>"
    CACHE STRING "The maintainer named in the package")
set(program_folder lib/strataview)
set(desktop_id org.strataview.Strataview)
set(package_files ${PROJECT_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${package_files})

install(TARGETS strataview strataview-decoder strataview-volume-decoder strataview-image-decoder
                strataview_enface_projection strataview_make_demo
        RUNTIME DESTINATION ${program_folder})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/Grid DESTINATION ${program_folder})
install(FILES ${PROJECT_SOURCE_DIR}/res/Executables.xml ${PROJECT_BINARY_DIR}/Help.pdf DESTINATION ${program_folder})
file(RELATIVE_PATH program_from_bin /${CMAKE_INSTALL_BINDIR} /${program_folder}/strataview)
file(CREATE_LINK ${program_from_bin} ${package_files}/strataview SYMBOLIC)
install(FILES ${package_files}/strataview DESTINATION ${CMAKE_INSTALL_BINDIR})

# Desktop integration: the entry, the scan file types, the metainfo and the icon.
install(FILES ${PROJECT_SOURCE_DIR}/res/desktop/${desktop_id}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
install(FILES ${PROJECT_SOURCE_DIR}/res/desktop/strataview-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME strataview.xml COMPONENT desktop)
configure_file(${PROJECT_SOURCE_DIR}/res/desktop/${desktop_id}.metainfo.xml.in
               ${package_files}/${desktop_id}.metainfo.xml @ONLY)
install(FILES ${package_files}/${desktop_id}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT desktop)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/res/desktop/icons/strataview_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${desktop_id}.png
          COMPONENT desktop)
endforeach()

# The documents a Debian package carries: copyright, changelog and manual page, the last two
# compressed without a time stamp so that the package is the same for the same sources.
configure_file(${PROJECT_SOURCE_DIR}/res/package/changelog.in ${package_files}/changelog @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/res/package/strataview.1.in ${package_files}/strataview.1 @ONLY)
find_program(GZIP gzip REQUIRED)
foreach(document changelog strataview.1)
  add_custom_command(OUTPUT ${package_files}/${document}.gz
    COMMAND ${GZIP} -9nf -k ${package_files}/${document}
    DEPENDS ${package_files}/${document})
  list(APPEND compressed ${package_files}/${document}.gz)
endforeach()
add_custom_target(strataview_package_documents ALL DEPENDS ${compressed})
install(FILES ${PROJECT_SOURCE_DIR}/res/package/copyright ${package_files}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${package_files}/strataview.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME strataview)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Strataview developers")
set(CPACK_PACKAGE_CONTACT ${STRATAVIEW_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and editor for retinal OCT scan volumes")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Strataview is a desktop program for eye researchers who inspect and correct
retinal optical coherence tomography (OCT) scans together with the results an
analysis suite computed for them. It opens scans of Carl Zeiss Meditec, Topcon,
Heidelberg Engineering, Optovue, Bioptigen and Canon devices, DICOM, MetaImage,
Analyze, NIfTI and 3-D TIFF volumes, shows them in slice panes, an en-face
projection with layer-thickness maps and grid-sector statistics and a 3-D pane,
edits layer surfaces, labels, markers and splines, and saves them back.

For investigational use only, not FDA approved.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.strataview.org/)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${STRATAVIEW_PACKAGE_MAINTAINER})
# Depends from the shared libraries of every program in the package; the help document and
# web links open with the desktop's default programs: xdg-open, and a PDF viewer (any package
# that provides pdf-viewer).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, evince | pdf-viewer")
include(CPack)
