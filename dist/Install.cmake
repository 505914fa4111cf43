# Installing: the client and the two command-line tools, with a menu entry, an icon,
# a manual page each, and the documents a Debian package carries. scripts/package
# makes a Debian package of the same.
include(GNUInstallDirs)
install(TARGETS vadevor-azurev alert-feed azurev-tap RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES dist/vadevor-azurev.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES dist/vadevor-azurev.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/vadevor-azurev)
install(FILES tools/alert-feed/KVX.ini README.md dist/copyright DESTINATION ${doc_dir})

# The changelog is history, so it names versions itself; its newest entry must be the
# one being built, or a package would ship with the wrong changelog.
file(STRINGS dist/changelog newest_entry LIMIT_COUNT 1)
if(NOT newest_entry MATCHES "^vadevor-azurev \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "dist/changelog has no entry for ${PROJECT_VERSION} at its top")
endif()

# Manual pages, given the project version, and the changelog go compressed as Debian
# wants them: gzip at its best, with no name or time stamp, so the same sources give
# the same bytes.
set(compressed)
foreach(page vadevor-azurev alert-feed azurev-tap)
  configure_file(dist/man/${page}.1.in ${CMAKE_BINARY_DIR}/dist/man/${page}.1 @ONLY)
  list(APPEND compressed ${CMAKE_BINARY_DIR}/dist/man/${page}.1)
endforeach()
list(APPEND compressed ${CMAKE_SOURCE_DIR}/dist/changelog)
set(compressed_outputs)
foreach(source ${compressed})
  get_filename_component(name ${source} NAME)
  set(output ${CMAKE_BINARY_DIR}/dist/${name}.gz)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist
                     COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${source} ${output}
                     DEPENDS ${source} VERBATIM)
  list(APPEND compressed_outputs ${output})
endforeach()
add_custom_target(compressed_documents ALL DEPENDS ${compressed_outputs})
foreach(page vadevor-azurev alert-feed azurev-tap)
  install(FILES ${CMAKE_BINARY_DIR}/dist/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/dist/changelog.gz DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vadevor-azurev)
set(CPACK_PACKAGE_CONTACT "Vadevor Azurev maintainers <maintainers@vadevor-azurev.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for real-time stock-market alerts")
# CPack puts the summary first and indents these lines; an empty line parts paragraphs.
set(CPACK_PACKAGE_DESCRIPTION "Vadevor Azurev logs a trader in to an alert server, keeps one compressed
session with it (plain TCP, TLS, or an HTTP tunnel through HTTP and SOCKS
proxies) and shows every alert in the window of its category: scrolling
lists, Bollinger band sets, symbol matrices and calmly re-sorting top lists.
A click on a symbol hands it to another trading program.

The package also holds alert-feed, a local alert server with synthetic
market data, replay, recording and fault injection, and azurev-tap, which
prints the alert stream as JSON lines.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The Qt 6 and zlib libraries the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debug symbols stay in the build tree; the package carries stripped programs.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
