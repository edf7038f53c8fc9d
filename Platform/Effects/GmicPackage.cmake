# G'MIC's library as the imported target libgmic, with the OpenMP runtime it needs. Debian's G'MIC
# package config names two targets it does not ship (CImg is inside gmic.h and the standard library
# inside libgmic); empty stand-ins let its target be imported. Included where libgmic is linked.
foreach(missing CImg::CImg GMicStdlib::Stdlib)
  if(NOT TARGET ${missing})
    add_library(${missing} INTERFACE IMPORTED)
  endif()
endforeach()
find_package(Gmic REQUIRED CONFIG)
find_package(OpenMP REQUIRED COMPONENTS CXX)
