# G'MIC's library as the imported target libgmic, with the OpenMP runtime it needs. Debian's G'MIC
# package config names two targets it does not ship (CImg is inside gmic.h and the standard library
# inside libgmic); empty stand-ins let its target be imported. Sets Gmic_FOUND; only the benchmark
# that compares our fill with G'MIC's links it.
foreach(missing CImg::CImg GMicStdlib::Stdlib)
  if(NOT TARGET ${missing})
    add_library(${missing} INTERFACE IMPORTED)
  endif()
endforeach()
find_package(Gmic CONFIG QUIET)
if(Gmic_FOUND)
  find_package(OpenMP REQUIRED COMPONENTS CXX)
endif()
