# Installation and the Debian package.
#
#   cmake --install build --prefix PREFIX    programs in PREFIX/bin, the desktop
#                                            window program in PREFIX/lib/scenario-builder,
#                                            docs in PREFIX/share/doc/scenario-builder,
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
install(FILES README.md docs/format-reference.md docs/design.md docs/glossary.md
        DESTINATION ${SB_DOC_DIR})
install(DIRECTORY docs/examples/ DESTINATION ${SB_DOC_DIR}/examples PATTERN ".gitattributes" EXCLUDE)

# Manual pages made from the programs' own --help and --version.
find_program(SB_HELP2MAN help2man)
if(SB_HELP2MAN)
  set(SB_MAN_PAGES)
  foreach(program scenario-builder scenario-tool)
    if(TARGET ${program})
      set(page ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
      add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${SB_HELP2MAN} --no-info --section=1 --output=${CMAKE_BINARY_DIR}/man/${program}.1 $<TARGET_FILE:${program}>
        COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/man/${program}.1
        DEPENDS ${program}
        COMMENT "Manual page of ${program}")
      list(APPEND SB_MAN_PAGES ${page})
    endif()
  endforeach()
  add_custom_target(man-pages ALL DEPENDS ${SB_MAN_PAGES})
  install(FILES ${SB_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no manual pages")
  add_custom_target(man-pages)
endif()

set(CPACK_PACKAGE_NAME scenario-builder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Scenario builder maintainers <maintainers@users.noreply.c-seed-6d7928bb.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Scenario builder for a train-driving simulator, and its authors' tool")
set(CPACK_PACKAGE_DESCRIPTION
    "scenario-builder writes the built-in scenario's crew documents and compiled files next to itself; \
scenario-tool lets authors export the built-in sources, compile their own, check them, inspect compiled \
files and view the route.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The two programs are linked whole; the desktop window program needs the C
# and C++ libraries and FLTK, but the builder runs on a console without it:
# a recommendation.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.36)")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libfltk1.3, libstdc++6")
set(CPACK_GENERATOR DEB)
include(CPack)
