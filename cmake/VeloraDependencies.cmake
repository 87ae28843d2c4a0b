# Every library comes from Debian's packages, installed by scripts/bootstrap.

find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(TIFF REQUIRED)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(EXIV2 REQUIRED IMPORTED_TARGET exiv2)
pkg_check_modules(SANE REQUIRED IMPORTED_TARGET sane-backends)
pkg_check_modules(ZSTD REQUIRED IMPORTED_TARGET libzstd)
find_package(GTest REQUIRED)

if(VELORA_BUILD_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Svg PrintSupport Network Test)
  pkg_check_modules(XTST REQUIRED IMPORTED_TARGET xtst)
  pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
endif()

if(VELORA_BUILD_BENCH AND NOT VELORA_SANITIZE)
  find_package(benchmark REQUIRED)
endif()
