# FFmpeg's libraries are opened on first use (Libraries.cpp), not linked: the framework takes
# only their headers, which its own headers pass on.
add_library(FFmpegHeaders INTERFACE)
target_include_directories(FFmpegHeaders INTERFACE ${FFMPEG_INCLUDE_DIRS})
target_compile_options(FFmpegHeaders INTERFACE ${FFMPEG_CFLAGS_OTHER})
target_link_libraries(ZentorFramework PUBLIC FFmpegHeaders)
# A call of an FFmpeg function that has no stub in Functions.cpp then fails the link, not the
# program's start. The sanitizers' runtimes are found only at run time, so not with them.
if(NOT GLIMRA_ASAN AND NOT GLIMRA_TSAN)
  target_link_options(ZentorFramework PRIVATE -Wl,-z,defs)
endif()
