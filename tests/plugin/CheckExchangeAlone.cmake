# cmake -DPROGRAM=<program or library linked with velora_exchange only>
#       -DLINKS=<file with velora_exchange's link libraries> -P CheckExchangeAlone.cmake
# Fails when the library's link interface or the program's shared libraries
# name a codec, the scanner library or the GUI toolkit.

set(forbidden "qt[0-9]|jpeg|png|tiff|exiv2|sane|xtst")

file(READ "${LINKS}" links)
string(TOLOWER "${links}" links)
if(links MATCHES "${forbidden}")
  message(FATAL_ERROR "velora_exchange links '${CMAKE_MATCH_0}': ${links}")
endif()

execute_process(COMMAND readelf --dynamic "${PROGRAM}"
  OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${dynamic}")
if(NOT needed)
  message(FATAL_ERROR "no shared libraries listed for ${PROGRAM}; is it the right file?")
endif()
string(TOLOWER "${needed}" needed)
if(needed MATCHES "${forbidden}")
  message(FATAL_ERROR "the exchange program needs '${CMAKE_MATCH_0}': ${needed}")
endif()
message(STATUS "velora_exchange stands alone: ${needed}")
