# What `cmake --install` lays down: the program in bin, the engine and framework libraries in lib
# with the plug-in in lib/plugins (the framework looks for it next to itself), the shared files in
# share/glimra (Translations.cmake), the desktop entry and the icon. Every run path is relative,
# so the installed tree can be moved as a whole.
include(GNUInstallDirs)

set_target_properties(glimra PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
set_target_properties(GlimraCore PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS glimra RUNTIME DESTINATION bin)
install(TARGETS GlimraCore ZentorFramework LIBRARY DESTINATION lib)
if(TARGET Kelvra)
  set_target_properties(Kelvra PROPERTIES INSTALL_RPATH "$ORIGIN/..")
  install(TARGETS Kelvra LIBRARY DESTINATION lib/plugins)
endif()

install(FILES ${CMAKE_SOURCE_DIR}/Resources/glimra.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/Resources/icons/glimra.png DESTINATION share/icons/hicolor/256x256/apps)
