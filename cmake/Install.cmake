# Install rules and the Debian package. An installed copy finds its parts relative to its own folder
# (src/store/InstallPaths.cpp is given the same folders) and keeps its store in the user's data
# folder; see the README for the two ways to run.
set(QUILLMARK_APP_ID io.github.quillmark.Quillmark)
set(QUILLMARK_DIST ${PROJECT_SOURCE_DIR}/dist/linux)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS quillmark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quillmark-mdbread)
  install(TARGETS quillmark-mdbread RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillmark)
endif()
# The folder of the built-in language packs (none are shipped yet); it also marks the prefix as an
# installed one.
install(DIRECTORY DESTINATION ${CMAKE_INSTALL_DATADIR}/quillmark/lngs)

if(UNIX AND NOT APPLE)
  install(FILES ${QUILLMARK_DIST}/${QUILLMARK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QUILLMARK_DIST}/${QUILLMARK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

  # The manual page and the change log go compressed, without a time stamp, as Debian wants them.
  set(gzipped)
  foreach(file quillmark.1 changelog)
    set(out ${PROJECT_BINARY_DIR}/dist/${file}.gz)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/dist
      COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${QUILLMARK_DIST}/${file} ${out}
      DEPENDS ${QUILLMARK_DIST}/${file} VERBATIM)
    list(APPEND gzipped ${out})
  endforeach()
  add_custom_target(quillmark_dist ALL DEPENDS ${gzipped})
  install(FILES ${PROJECT_BINARY_DIR}/dist/quillmark.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${QUILLMARK_DIST}/copyright ${PROJECT_BINARY_DIR}/dist/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillmark)
endif()

# The package: cpack from a build folder (./package, or the package test on the test build).
# Installing does not build first: the callers build what they package.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmark developers")
set(CPACK_PACKAGE_CONTACT "Quillmark developers <team@quillmark.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "character card keeper for tabletop role-playing games")
set(CPACK_PACKAGE_DESCRIPTION "Quillmark (羽笔卷宗) keeps the character cards of a tabletop role-playing
game in one SQLite file. A card is one big sheet over five pages; the program
stores exactly what was typed, lists the cards by name and loads, adds, saves
and deletes them. Stores in the old Access format are carried over once.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A tool for players, not a game: the program lives in bin, not in the games folder.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillmark.example)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plug-ins the library dependencies do not show: the SQLite driver and the X11 platform.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
# The interface face and the PDF's, and Qt's own Chinese texts for the standard buttons and dialogs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, fonts-dejavu-core, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
