# Where "cmake --install" puts the Linux programs and their files, in two components that
# scripts/package packs as they are (so a distribution packages from the same rules):
#   x11:     vorlixss as an XScreenSaver module, on the PATH too, its manual page and its
#            settings page for XScreenSaver's settings window
#   wayland: vorlixss-wayland, its manual page, the autostart file for --idle as an
#            example (copied by a user who wants it; never started for everyone), and the
#            PAM service that checks the password of --lock
# Manual pages go uncompressed: compressing them is the packaging's step.
include(GNUInstallDirs)
set(vorlix_linux_resources ${CMAKE_SOURCE_DIR}/resources/linux)
if(VORLIX_X11)
  install(TARGETS vorlixss DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver COMPONENT x11)
  # "vorlixss --help", which its messages and manual page name, works as typed.
  # (the prefix as given to cmake --install, so the link is made where the files go)
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK ../${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver/vorlixss \"\${bin}/vorlixss\"
         SYMBOLIC)" COMPONENT x11)
  install(FILES ${vorlix_linux_resources}/vorlixss.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6
    COMPONENT x11)
  install(FILES ${vorlix_linux_resources}/vorlixss.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config COMPONENT x11)
endif()
if(VORLIX_WAYLAND)
  install(TARGETS vorlixss-wayland DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT wayland)
  install(FILES ${vorlix_linux_resources}/vorlixss-wayland.6
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT wayland)
  install(FILES ${vorlix_linux_resources}/vorlixss-wayland-idle.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vorlixss-wayland/examples COMPONENT wayland)
  # PAM reads its services from /etc/pam.d whatever the program's prefix.
  install(FILES ${vorlix_linux_resources}/pam/vorlixss-wayland DESTINATION /etc/pam.d
    COMPONENT wayland)
endif()
