# FFmpeg's libraries are opened on first use (Libraries.cpp), not linked: the framework takes
# only their headers, which its own headers pass on.
add_library(FFmpegHeaders INTERFACE)
target_include_directories(FFmpegHeaders INTERFACE ${FFMPEG_INCLUDE_DIRS})
target_compile_options(FFmpegHeaders INTERFACE ${FFMPEG_CFLAGS_OTHER})
target_link_libraries(ZentorFramework PUBLIC FFmpegHeaders)
