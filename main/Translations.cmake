# Translations and the files installed beside the program. The build tree's share/glimra is laid
# out like an installed share/glimra (custom settings, themes, help page, .qm files), so the
# program runs from the build tree as it does when installed.
set(GLIMRA_SHARE_DIR ${CMAKE_BINARY_DIR}/share/glimra)

file(GLOB GLIMRA_TS_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Resources/translations/*.ts)
set_source_files_properties(${GLIMRA_TS_FILES} PROPERTIES OUTPUT_LOCATION ${GLIMRA_SHARE_DIR}/translations)
# The English file holds only the English texts of message keys ("allImages"); it is kept by hand,
# as lupdate would fill it with every source text.
set(GLIMRA_LUPDATE_TS_FILES ${GLIMRA_TS_FILES})
list(FILTER GLIMRA_LUPDATE_TS_FILES EXCLUDE REGEX "_en\\.ts$")

# lupdate reads the texts of the program (forms included) and of the Qt-side platform library;
# the target update_translations refreshes the .ts files in the source tree.
get_target_property(GLIMRA_PLATFORM_SOURCES ZentorQtPlatform SOURCES)
qt_add_lupdate(GlimraProgram
  TS_FILES ${GLIMRA_LUPDATE_TS_FILES}
  SOURCES ${GLIMRA_PROGRAM_SOURCES} ${GLIMRA_PLATFORM_SOURCES}
  INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}
  OPTIONS -no-obsolete -locations none)
qt_add_lrelease(GlimraProgram TS_FILES ${GLIMRA_TS_FILES} QM_FILES_OUTPUT_VARIABLE GLIMRA_QM_FILES)
add_dependencies(GlimraProgram GlimraProgram_lrelease)

file(GLOB_RECURSE GLIMRA_SHARE_SOURCES CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/Resources
  ${CMAKE_SOURCE_DIR}/Resources/ZentorGlimraCustom.ini
  ${CMAKE_SOURCE_DIR}/Resources/themes/*.qss
  ${CMAKE_SOURCE_DIR}/Resources/help/*)
foreach(share_file ${GLIMRA_SHARE_SOURCES})
  configure_file(${CMAKE_SOURCE_DIR}/Resources/${share_file} ${GLIMRA_SHARE_DIR}/${share_file} COPYONLY)
endforeach()

install(DIRECTORY ${GLIMRA_SHARE_DIR}/ DESTINATION share/glimra)
