# The Debian package: `cpack -G DEB` in the build directory (or
# tools/package.sh) makes quorvo_VERSION-REVISION_ARCH.deb from the install
# rules, with the binaries stripped and Depends worked out by dpkg-shlibdeps
# from the libraries they load, so a library added to the build needs no
# edit here.

include(GNUInstallDirs)

set(QUORVO_DEBIAN_REVISION 1 CACHE STRING "Debian revision of the package (VERSION-REVISION)")
set(QUORVO_PACKAGE_MAINTAINER
    "Quorvo Lossless Downloader maintainers <maintainers@users.noreply.c-seed-8295cb51.example>"
    CACHE STRING "The package's Maintainer field")

# Manual pages and the Debian changelog are shipped compressed at the highest
# level, without a name or time stamp in the gzip header (the same bytes on
# every build).
set(QUORVO_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
set(QUORVO_PACKAGING_FILES "")
foreach(pair quorvo.1:quorvo.1.gz quorvo-cli.1:quorvo-cli.1.gz changelog:changelog.Debian.gz)
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  add_custom_command(OUTPUT ${QUORVO_PACKAGING_OUT}/${to}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORVO_PACKAGING_OUT}
                     COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/${from} > ${QUORVO_PACKAGING_OUT}/${to}
                     DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${from}
                     VERBATIM)
  list(APPEND QUORVO_PACKAGING_FILES ${QUORVO_PACKAGING_OUT}/${to})
endforeach()
add_custom_target(quorvo_packaging_files ALL DEPENDS ${QUORVO_PACKAGING_FILES})

install(FILES ${QUORVO_PACKAGING_OUT}/quorvo.1.gz ${QUORVO_PACKAGING_OUT}/quorvo-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The shipped programs bind every symbol at start, so that the relocation
# table can be made read-only before any code runs.
foreach(program quorvo quorvo-cli)
  if(TARGET ${program})
    target_link_options(${program} PRIVATE LINKER:-z,now)
  endif()
endforeach()

# A stripped install (cpack, `cmake --install --strip`) also drops the
# compiler's .comment and .note sections, as Debian's own packages do. Runs
# after the programs' install rules (added above this point).
install(CODE "set(quorvo_bindir \"${CMAKE_INSTALL_BINDIR}\")\nset(quorvo_objcopy \"${CMAKE_OBJCOPY}\")")
install(CODE [[
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program quorvo quorvo-cli)
      set(file "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${quorvo_bindir}/${program}")
      if(EXISTS "${file}")
        execute_process(COMMAND "${quorvo_objcopy}" --remove-section=.comment --remove-section=.note "${file}"
                        RESULT_VARIABLE failed)
        if(failed)
          message(FATAL_ERROR "objcopy could not clean ${file}")
        endif()
      endif()
    endforeach()
  endif()
]])
# Only the package carries Debian's changelog; `cmake --install` leaves it out.
install(FILES ${QUORVO_PACKAGING_OUT}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME quorvo COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvo)
set(CPACK_PACKAGE_VENDOR "Quorvo Lossless Downloader maintainers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QUORVO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find and download lossless music from the Quorvo service")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop client for the Quorvo music service: type a query, tick songs among
up to 60 results and queue them. One download worker fetches each song's
lyrics and its FLAC or MP3 file with resume from a partial file, a speed
limit, live percent and speed, and a completion sound.

quorvo-cli runs the same search and download without a window.")
# Both the whole install and the Debian-only files, into one package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};quorvo;ALL;/;${PROJECT_BINARY_DIR};quorvo;debian;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUORVO_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Every caption is Chinese: without a CJK font the window is boxes. These are
# the families the program asks fontconfig for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei | fonts-noto-cjk | fonts-arphic-uming | fonts-droid-fallback")
# The opener for the save folder and the author's page, and the music folder's name.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, xdg-user-dirs")
# The desktop's folder chooser (the program has its own picker otherwise).
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xdg-desktop-portal-gtk | zenity")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
