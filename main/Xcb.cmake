# Hint bubbles ask the X server whether a compositing manager runs, since a translucent window
# without one shows black. Without the xcb headers they are drawn opaque on X11.
find_path(XCB_INCLUDE_DIR xcb/xcb.h)
find_library(XCB_LIBRARY xcb)
if(XCB_INCLUDE_DIR AND XCB_LIBRARY)
  target_compile_definitions(GlimraProgram PRIVATE GLIMRA_WITH_XCB)
  target_include_directories(GlimraProgram PRIVATE ${XCB_INCLUDE_DIR})
  target_link_libraries(GlimraProgram PUBLIC ${XCB_LIBRARY})
endif()
