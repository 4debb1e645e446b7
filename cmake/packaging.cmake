# Installation and the Debian package.
#
#   cmake --install build --prefix PREFIX    programs in PREFIX/bin, the desktop
#                                            window program in PREFIX/lib/scenario-builder,
#                                            README in PREFIX/share/doc/scenario-builder, docs in its docs/,
#                                            manual pages in PREFIX/share/man/man1
#   cpack --config build/CPackConfig.cmake -G DEB
include(GNUInstallDirs)
# The documents under the package's name, not the CMake project's.
set(SB_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/scenario-builder)

install(TARGETS scenario-builder RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET scenario-tool)
  install(TARGETS scenario-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET scenario-builder-desktop)
  # Where the program looks for it, relative to its own folder (../lib/scenario-builder).
  install(TARGETS scenario-builder-desktop RUNTIME DESTINATION lib/scenario-builder)
endif()
# The README links to these; they go with it.
install(FILES docs/format-reference.md docs/design.md docs/glossary.md docs/route-page.md docs/route-page.png
              docs/editors.md
        DESTINATION ${SB_DOC_DIR}/docs)
# The highlighting grammar editors load.
install(FILES editors/scenario-sources.tmLanguage.json DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/scenario-builder/editors)
install(FILES README.md DESTINATION ${SB_DOC_DIR})
install(DIRECTORY docs/examples/ DESTINATION ${SB_DOC_DIR}/docs/examples PATTERN ".gitattributes" EXCLUDE)

# Manual pages, written by hand in docs/man; a test holds them to the
# programs' own option tables.
set(SB_MAN_PAGES)
foreach(program scenario-builder scenario-tool)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/docs/man/${program}.1 > ${page}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${program}.1
    COMMENT "Manual page of ${program}")
  list(APPEND SB_MAN_PAGES ${page})
endforeach()
add_custom_target(man-pages ALL DEPENDS ${SB_MAN_PAGES})
install(FILES ${SB_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# What Debian asks of every package's documents: the copyright in the
# machine-readable form and a changelog, compressed.
set(SB_CHANGELOG ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${SB_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${SB_CHANGELOG}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  COMMENT "Package changelog")
add_custom_target(package-docs ALL DEPENDS ${SB_CHANGELOG})
install(FILES ${SB_CHANGELOG} packaging/copyright DESTINATION ${SB_DOC_DIR})
# The two programs are static position-independent executables on purpose
# (see the top-level CMakeLists.txt); lintian takes them for shared libraries.
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
        RENAME scenario-builder)

set(CPACK_PACKAGE_NAME scenario-builder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Scenario builder maintainers <maintainers@users.noreply.c-seed-6d7928bb.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Scenario builder for a train-driving simulator, and its authors' tool")
# The summary is the synopsis line; this is the extended description,
# wrapped for an 80-column terminal.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "scenario-builder writes the built-in scenario's crew documents and
compiled files next to itself. scenario-tool lets authors export the
built-in sources, compile and check their own, inspect compiled files
and view the route as a page.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The two programs are linked whole; the desktop window program needs the C
# and C++ libraries and FLTK, but the builder runs on a console without it:
# a recommendation.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.36)")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libfltk1.3, libstdc++6")
set(CPACK_GENERATOR DEB)
include(CPack)
