# Installing and packaging. `cmake --install` lays out the program, its
# manual page, the README, the examples and the licences; CPack packs the
# same files: a Debian package on Linux (preset deb), a zip on Windows
# (preset windows-x86).
#
# The package is sudoku-nxn: Debian already has a package called sudoku,
# and this one solves any N x N grid. The program keeps its name, sudoku.

# Splits a licence file into the fields of Debian's copyright file: its
# copyright lines, without "Copyright (c)", one a line, into
# ${prefisso}_TITOLARI, and the licence text that follows them, each line
# indented and an empty one written " .", into ${prefisso}_LICENZA.
function(sudoku_leggi_licenza sorgente prefisso)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sorgente})
  file(READ ${sorgente} testo)
  string(REGEX MATCHALL "Copyright \\(c\\) [^\n]*" titolari "${testo}")
  if(NOT titolari)
    message(FATAL_ERROR "${sorgente} has no line \"Copyright (c) ...\"")
  endif()
  list(TRANSFORM titolari REPLACE "^Copyright \\(c\\) " "")
  list(JOIN titolari "\n " titolari)
  string(REGEX REPLACE ".*Copyright \\(c\\) [^\n]*\n+" "" corpo "${testo}")
  string(REGEX REPLACE "\n+$" "" corpo "${corpo}")
  string(REPLACE "\n\n" "\n.\n" corpo "${corpo}")
  string(REPLACE "\n" "\n " corpo " ${corpo}")
  set(${prefisso}_TITOLARI "${titolari}" PARENT_SCOPE)
  set(${prefisso}_LICENZA "${corpo}" PARENT_SCOPE)
endfunction()

set(SUDOKU_PACCHETTO sudoku-nxn)
set(SUDOKU_MANUTENTORE "sudoku maintainers <maintainers@users.noreply.c-seed-523c7ad2.example>"
    CACHE STRING "Maintainer of the packages: name <address>")

set(generati ${CMAKE_CURRENT_BINARY_DIR}/installa)
# The licences: the project's own, and CaDiCaL's, which the program links in.
set(licenza ${PROJECT_SOURCE_DIR}/LICENSE)
set(licenza_cadical ${PROJECT_SOURCE_DIR}/third_party/cadical/LICENSE)

if(WIN32)
  # The zip unpacks into one folder: the program at its top, beside a short
  # text on running it from a console and the two licences, all with
  # Windows' line ends.
  set(dest_programma .)
  set(dest_documenti .)
  configure_file(docs/windows.txt ${generati}/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${licenza} ${generati}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${licenza_cadical} ${generati}/LICENSE-CaDiCaL.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${generati}/README.txt ${generati}/LICENSE.txt ${generati}/LICENSE-CaDiCaL.txt
          DESTINATION ${dest_documenti})
else()
  set(CMAKE_INSTALL_DOCDIR share/doc/${SUDOKU_PACCHETTO} CACHE PATH "Documentation (DATAROOTDIR/doc/${SUDOKU_PACCHETTO})")
  include(GNUInstallDirs)
  set(dest_programma ${CMAKE_INSTALL_BINDIR})
  set(dest_documenti ${CMAKE_INSTALL_DOCDIR})
  # As Debian lays out a package's documentation: the licences in
  # copyright, in Debian's machine-readable format, a changelog, the manual
  # page compressed by gzip -9n.
  sudoku_leggi_licenza(${licenza} SUDOKU)
  sudoku_leggi_licenza(${licenza_cadical} SUDOKU_CADICAL)
  # Both are the MIT licence, whose text copyright gives once for both.
  if(NOT SUDOKU_LICENZA STREQUAL SUDOKU_CADICAL_LICENZA)
    message(FATAL_ERROR "LICENSE and ${licenza_cadical} differ past their copyright lines: "
                        "cmake/copyright.in must give each licence its own text")
  endif()
  string(TIMESTAMP SUDOKU_DATA "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(cmake/copyright.in ${generati}/copyright @ONLY)
  configure_file(cmake/changelog.in ${generati}/changelog @ONLY)
  find_program(SUDOKU_GZIP gzip REQUIRED)
  foreach(testo ${generati}/changelog ${PROJECT_SOURCE_DIR}/docs/sudoku.1)
    get_filename_component(nome ${testo} NAME)
    execute_process(COMMAND ${SUDOKU_GZIP} -9n INPUT_FILE ${testo}
                    OUTPUT_FILE ${generati}/${nome}.gz COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS docs/sudoku.1)
  install(FILES ${generati}/copyright ${generati}/changelog.gz DESTINATION ${dest_documenti})
  install(FILES ${generati}/sudoku.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(TARGETS sudoku RUNTIME DESTINATION ${dest_programma})
install(FILES README.md DESTINATION ${dest_documenti})
install(DIRECTORY examples/ DESTINATION ${dest_documenti}/examples)

set(CPACK_PACKAGE_NAME ${SUDOKU_PACCHETTO})
set(CPACK_PACKAGE_CONTACT ${SUDOKU_MANUTENTORE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "solver for N x N Sudoku that explains every step")
set(CPACK_PACKAGE_DESCRIPTION
    "A console program that solves a generalised Sudoku: an N x N grid, N up to
100, with square boxes. It reads the puzzle from a text file, solves it by a
fixed depth-first search that deduces before it guesses, and writes two HTML
pages: the solved grid, and a step-by-step replay that gives the reason of
every placement. Its texts are in Italian.")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the program needs, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
