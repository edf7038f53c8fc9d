# Image metadata is read and written with exiv2.
pkg_check_modules(EXIV2 REQUIRED IMPORTED_TARGET exiv2)
target_link_libraries(ZentorFramework PRIVATE PkgConfig::EXIV2)
