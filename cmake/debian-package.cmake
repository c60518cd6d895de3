# The Debian package: `cmake --build --preset release --target package` writes
# tavorin_<version>_<arch>.deb into the build folder. It holds the two programs, the menu
# entry, the icons, the AppStream metainfo, the case and penstock file types, the manual
# pages in English and Chinese, and the copyright file and changelog that Debian asks of
# every package.
include(GNUInstallDirs)

set(tavorin_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(tavorin_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tavorin)

install(TARGETS tavorin-calc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tavorin)
  install(TARGETS tavorin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${tavorin_packaging}/desktop/org.example.tavorin.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${tavorin_packaging}/desktop/org.example.tavorin.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The file types, case and penstock: their shared-mime-info entries (the globs *.tavorin
  # and *.penstock and the first bytes the programs write) and their icons, the case's the
  # program's own drawing under the type's name, the penstock's a drawing of its own.
  # Debian's shared-mime-info, desktop-file-utils and hicolor-icon-theme update their
  # caches from these folders by file triggers, after install and after purge.
  install(FILES ${tavorin_packaging}/mime/org.example.tavorin.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  set(tavorin_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  set(tavorin_case_icon application-x-tavorin-case)
  set(tavorin_penstock_icon application-x-tavorin-penstock)
  install(FILES ${tavorin_packaging}/icons/tavorin.svg DESTINATION ${tavorin_icons}/scalable/apps)
  install(FILES ${tavorin_packaging}/icons/tavorin.svg
          DESTINATION ${tavorin_icons}/scalable/mimetypes RENAME ${tavorin_case_icon}.svg)
  install(FILES ${tavorin_packaging}/icons/${tavorin_penstock_icon}.svg
          DESTINATION ${tavorin_icons}/scalable/mimetypes)
  foreach(size 16 22 24 32 48 64 128 256)
    set(pngs ${tavorin_packaging}/icons/hicolor/${size}x${size})
    install(FILES ${pngs}/apps/tavorin.png DESTINATION ${tavorin_icons}/${size}x${size}/apps)
    install(FILES ${pngs}/apps/tavorin.png DESTINATION ${tavorin_icons}/${size}x${size}/mimetypes
            RENAME ${tavorin_case_icon}.png)
    install(FILES ${pngs}/mimetypes/${tavorin_penstock_icon}.png
            DESTINATION ${tavorin_icons}/${size}x${size}/mimetypes)
  endforeach()
endif()

# Manual pages and the changelog are installed compressed, with no time stamp in the gzip
# header, so that the package is the same from build to build.
find_program(TAVORIN_GZIP gzip REQUIRED)
set(tavorin_gzipped)
function(tavorin_install_gzipped source destination)
  cmake_path(GET source FILENAME name)
  cmake_path(RELATIVE_PATH source BASE_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE relative)
  set(output ${PROJECT_BINARY_DIR}/gzipped/${relative}.gz)
  cmake_path(GET output PARENT_PATH output_dir)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${output_dir}
    COMMAND ${TAVORIN_GZIP} -9 -n -c ${source} > ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${relative}"
    VERBATIM)
  install(FILES ${output} DESTINATION ${destination} RENAME ${name}.gz)
  set(tavorin_gzipped ${tavorin_gzipped} ${output} PARENT_SCOPE)
endfunction()

tavorin_install_gzipped(${PROJECT_SOURCE_DIR}/man/tavorin-calc.1 ${CMAKE_INSTALL_MANDIR}/man1)
tavorin_install_gzipped(${PROJECT_SOURCE_DIR}/man/zh_CN/tavorin-calc.1
                        ${CMAKE_INSTALL_MANDIR}/zh_CN/man1)
if(TARGET tavorin)
  tavorin_install_gzipped(${PROJECT_SOURCE_DIR}/man/tavorin.1 ${CMAKE_INSTALL_MANDIR}/man1)
  tavorin_install_gzipped(${PROJECT_SOURCE_DIR}/man/zh_CN/tavorin.1
                          ${CMAKE_INSTALL_MANDIR}/zh_CN/man1)
endif()
tavorin_install_gzipped(${tavorin_packaging}/debian/changelog ${tavorin_doc_dir})
add_custom_target(tavorin_gzipped ALL DEPENDS ${tavorin_gzipped})
install(FILES ${tavorin_packaging}/debian/copyright DESTINATION ${tavorin_doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavorin)
set(CPACK_PACKAGE_VENDOR "Tavorin developers")
set(CPACK_PACKAGE_CONTACT "Tavorin maintainers <maintainers@users.noreply.c-seed-5d707b53.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "anchor block and support pier calculator for steel penstocks")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Beyond the shared libraries: the Ming face the window is drawn in, Qt's Chinese texts for
# its context menus and message boxes, Qt's further platform plugins, and shared-mime-info,
# whose trigger puts the package's file types into the database that desktops ask.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-arphic-uming, qt6-translations-l10n, qt6-qpa-plugins, shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tavorin computes, for one concrete anchor block or support pier of a
steel penstock, the axial forces that the upper and the lower pipe exert
on it (self-weight, bend pressure, reducer, expansion joints, friction,
centrifugal force), their sums for a temperature rise and drop, the
horizontal and vertical resultants, and the block weight and concrete
volume needed against sliding.
.
The package holds the Chinese window program tavorin and the batch tool
tavorin-calc, which reads cases as JSON Lines and writes every result text.")
# Directories that the package creates get the usual modes whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
