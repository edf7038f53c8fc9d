# The platform effects: OpenCV for the pixel work, libswscale for conversions, G'MIC for inpainting
# (OpenCV's photo module gives the holes their first fill).
find_package(OpenCV 4 REQUIRED COMPONENTS core imgproc photo)
include(${CMAKE_CURRENT_LIST_DIR}/GmicPackage.cmake)
target_include_directories(ZentorFramework PRIVATE ${OpenCV_INCLUDE_DIRS})
# Only the OpenMP runtime (libgmic's own) is linked; the framework itself is not built with OpenMP.
target_link_libraries(ZentorFramework PRIVATE opencv_core opencv_imgproc opencv_photo libgmic ${OpenMP_CXX_LIBRARIES})
