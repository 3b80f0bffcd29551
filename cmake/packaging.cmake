# Install rules for the desktop integration (menu entry, icons, AppStream metadata, Debian
# documents) and the Debian package made by CPack. Included after every other install rule.
include(GNUInstallDirs)

set(ZC_PACKAGE_MAINTAINER "ZeltoChat maintainers <maintainers@users.noreply.c-seed-b09d6fdd.example>"
    CACHE STRING "Maintainer named in the Debian package")
# No licence has been chosen for the project yet; both the AppStream file and the Debian
# copyright file take it from here, so choosing one is a one-line change.
set(ZC_PROJECT_LICENSE "LicenseRef-proprietary" CACHE STRING "SPDX expression of the project's licence")
set(ZC_PROJECT_LICENSE_TEXT "All rights reserved by the ZeltoChat developers." CACHE STRING
    "Licence text for the Debian copyright file")

set(ZC_PKG_SRC ${CMAKE_SOURCE_DIR}/packaging)
set(ZC_PKG_OUT ${CMAKE_BINARY_DIR}/packaging)
set(ZC_ICON_SIZES 16 22 24 32 48 64 128 256)

if(TARGET zeltochat)
  # The theme's PNG sizes are rendered from the one scalable icon at build time.
  find_package(Qt6 REQUIRED COMPONENTS Svg)
  add_executable(zc_render_icon ${ZC_PKG_SRC}/render_icon.cpp)
  target_link_libraries(zc_render_icon PRIVATE Qt6::Svg Qt6::Gui)
  set(icon_pngs)
  foreach(size IN LISTS ZC_ICON_SIZES)
    list(APPEND icon_pngs ${ZC_PKG_OUT}/icons/${size}x${size}/apps/zeltochat.png)
  endforeach()
  add_custom_command(OUTPUT ${icon_pngs}
    COMMAND zc_render_icon ${ZC_PKG_SRC}/zeltochat.svg ${ZC_PKG_OUT}/icons ${ZC_ICON_SIZES}
    DEPENDS zc_render_icon ${ZC_PKG_SRC}/zeltochat.svg
    COMMENT "Rendering the program icon")
  add_custom_target(zc_icons ALL DEPENDS ${icon_pngs})
  install(DIRECTORY ${ZC_PKG_OUT}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES ${ZC_PKG_SRC}/zeltochat.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

  install(FILES ${ZC_PKG_SRC}/zeltochat.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${ZC_PKG_SRC}/io.github.zeltochat.ZeltoChat.metainfo.xml.in
                 ${ZC_PKG_OUT}/io.github.zeltochat.ZeltoChat.metainfo.xml @ONLY)
  install(FILES ${ZC_PKG_OUT}/io.github.zeltochat.ZeltoChat.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The launcher the chat starts must stay executable in the installed data folder (the
  # directory rule above installs it with plain file permissions).
  install(PROGRAMS ${CMAKE_SOURCE_DIR}/data/option.cmd DESTINATION share/zeltochat/data)

  # The plug-ins live in the shipped data folder because the program loads them from its
  # program folder's plugins/; lintian's rule against machine code under /usr/share is waived
  # for them only.
  install(FILES ${ZC_PKG_SRC}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
          RENAME zeltochat)
endif()

# The relay as a system service, disabled until the administrator enables it. Its
# configuration belongs in /etc even when the programs are in /usr.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(ZC_RELAY_CONF_DIR /etc/zeltochat)
else()
  set(ZC_RELAY_CONF_DIR ${CMAKE_INSTALL_SYSCONFDIR}/zeltochat)
endif()
install(FILES ${ZC_PKG_SRC}/zeltorelay.service DESTINATION lib/systemd/system)
install(FILES ${ZC_PKG_SRC}/relay.conf DESTINATION ${ZC_RELAY_CONF_DIR})
file(WRITE ${ZC_PKG_OUT}/conffiles "/etc/zeltochat/relay.conf\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${ZC_PKG_OUT}/conffiles;${ZC_PKG_SRC}/maintainer/postinst;${ZC_PKG_SRC}/maintainer/prerm;${ZC_PKG_SRC}/maintainer/postrm")

# Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zeltochat)
set(CPACK_PACKAGE_VENDOR "ZeltoChat")
set(CPACK_PACKAGE_CONTACT "${ZC_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "serverless chat for the local network")
set(CPACK_PACKAGE_DESCRIPTION "\
Zelto Chat lets everybody on one local network talk without a server: every
running copy joins one multicast group, or one relay where multicast does not
reach, and talks to the others directly. It offers a public chat, private
messages and alerts, conferences, a bulletin board, smiles, sounds, themes, a
chat history and file transfer. A terminal client (zeltochat-cli) and a relay
server (zeltorelay) are included.")
set(CPACK_DEBIAN_PACKAGE_NAME zeltochat)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZC_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})

configure_file(${ZC_PKG_SRC}/copyright.in ${ZC_PKG_OUT}/doc/copyright @ONLY)
configure_file(${ZC_PKG_SRC}/changelog.in ${ZC_PKG_OUT}/changelog @ONLY)
# -n keeps name and time out of the archive, so the package is reproducible.
add_custom_command(OUTPUT ${ZC_PKG_OUT}/doc/changelog.gz
  COMMAND gzip -9nc ${ZC_PKG_OUT}/changelog > ${ZC_PKG_OUT}/doc/changelog.gz
  DEPENDS ${ZC_PKG_OUT}/changelog)
set(man_pages zeltochat-cli zeltorelay)
if(TARGET zeltochat)
  list(APPEND man_pages zeltochat)
endif()
if(TARGET zeltooptions)
  list(APPEND man_pages zeltooptions)
endif()
set(man_gz)
foreach(page IN LISTS man_pages)
  add_custom_command(OUTPUT ${ZC_PKG_OUT}/man/${page}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZC_PKG_OUT}/man
    COMMAND gzip -9nc ${ZC_PKG_SRC}/man/${page}.1 > ${ZC_PKG_OUT}/man/${page}.1.gz
    DEPENDS ${ZC_PKG_SRC}/man/${page}.1)
  list(APPEND man_gz ${ZC_PKG_OUT}/man/${page}.1.gz)
endforeach()
add_custom_target(zc_package_docs ALL DEPENDS ${ZC_PKG_OUT}/doc/changelog.gz ${man_gz})
install(FILES ${man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ZC_PKG_OUT}/doc/copyright ${ZC_PKG_OUT}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zeltochat)

if(ZC_BUILD_TESTS AND TARGET zeltochat)
  add_test(NAME package.install_layout
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/install_layout_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
endif()

include(CPack)
