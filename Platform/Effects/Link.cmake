# The platform effects: OpenCV for the pixel work and the holes' first fill, libswscale for conversions.
find_package(OpenCV 4 REQUIRED COMPONENTS core imgproc photo)
target_include_directories(ZentorFramework PRIVATE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(ZentorFramework PRIVATE opencv_core opencv_imgproc opencv_photo)
# The colour conversion's inner loops pay for vectorising.
set_source_files_properties(${CMAKE_SOURCE_DIR}/Platform/Effects/YuvRows.cpp PROPERTIES COMPILE_OPTIONS -O3)
