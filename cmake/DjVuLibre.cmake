# DjVuLibre: the C API comes from libdjvulibre-dev; the C++ classes the encoder
# drives come from headers of the matching source package, fetched by
# scripts/setup.sh into .deps/djvulibre. Both must be of the same version.
find_package(PkgConfig REQUIRED)
pkg_check_modules(DDJVUAPI REQUIRED IMPORTED_TARGET ddjvuapi)

set(DJVULIBRE_HEADER_ROOT "${CMAKE_SOURCE_DIR}/.deps/djvulibre" CACHE PATH
    "Folder holding the DjVuLibre C++ headers (libdjvu/*.h) and their VERSION")
if(NOT EXISTS "${DJVULIBRE_HEADER_ROOT}/libdjvu/JB2Image.h")
  message(FATAL_ERROR
    "DjVuLibre C++ headers not found in ${DJVULIBRE_HEADER_ROOT}; run scripts/setup.sh")
endif()

file(STRINGS "${DJVULIBRE_HEADER_ROOT}/VERSION" _headers_version LIMIT_COUNT 1)
# Debian version "3.5.28-2.2~deb12u1" -> upstream "3.5.28"
string(REGEX REPLACE "^[0-9]+:" "" _upstream "${_headers_version}")
string(REGEX REPLACE "-[^-]*$" "" _upstream "${_upstream}")
if(NOT _upstream VERSION_EQUAL DDJVUAPI_VERSION)
  message(FATAL_ERROR
    "DjVuLibre headers are version ${_headers_version} but the installed library is "
    "${DDJVUAPI_VERSION}; run scripts/setup.sh to fetch matching headers")
endif()
find_program(DPKG_QUERY dpkg-query)
if(DPKG_QUERY)
  execute_process(COMMAND ${DPKG_QUERY} -W -f=\${Version} libdjvulibre21
                  OUTPUT_VARIABLE _installed RESULT_VARIABLE _rc ERROR_QUIET)
  if(_rc EQUAL 0 AND NOT _installed STREQUAL _headers_version)
    message(FATAL_ERROR
      "DjVuLibre headers are from ${_headers_version} but libdjvulibre21 ${_installed} "
      "is installed; run scripts/setup.sh to fetch matching headers")
  endif()
endif()
message(STATUS "DjVuLibre ${_headers_version} (C++ headers in ${DJVULIBRE_HEADER_ROOT})")

add_library(djvulibre_cxx INTERFACE)
target_include_directories(djvulibre_cxx SYSTEM INTERFACE "${DJVULIBRE_HEADER_ROOT}/libdjvu")
target_compile_definitions(djvulibre_cxx INTERFACE
  HAVE_NAMESPACES HAVE_STDINT_H HAVE_PTHREAD UNIX AUTOCONF HAS_WCHAR HAVE_WCHAR_H)
target_link_libraries(djvulibre_cxx INTERFACE PkgConfig::DDJVUAPI)
