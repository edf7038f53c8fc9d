# Image metadata is read and written with exiv2; a PNG's colour profile is packed with zlib.
pkg_check_modules(EXIV2 REQUIRED IMPORTED_TARGET exiv2)
find_package(ZLIB REQUIRED)
target_link_libraries(ZentorFramework PRIVATE PkgConfig::EXIV2 ZLIB::ZLIB)
