# The platform effects: OpenCV for the pixel work, libswscale for conversions, G'MIC for inpainting
# (OpenCV's photo module gives the holes their first fill).
find_package(OpenCV 4 REQUIRED COMPONENTS core imgproc photo)
# Debian's G'MIC package config names two targets it does not ship (CImg is inside gmic.h and the
# standard library inside libgmic); empty stand-ins let its target libgmic be imported.
foreach(missing CImg::CImg GMicStdlib::Stdlib)
  if(NOT TARGET ${missing})
    add_library(${missing} INTERFACE IMPORTED)
  endif()
endforeach()
find_package(Gmic REQUIRED CONFIG)
find_package(OpenMP REQUIRED COMPONENTS CXX)
target_include_directories(ZentorFramework PRIVATE ${OpenCV_INCLUDE_DIRS})
# Only the OpenMP runtime (libgmic's own) is linked; the framework itself is not built with OpenMP.
target_link_libraries(ZentorFramework PRIVATE opencv_core opencv_imgproc opencv_photo libgmic ${OpenMP_CXX_LIBRARIES})
