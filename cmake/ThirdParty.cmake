# Libraries Debian ships without a CMake package: wrap them as imported targets.
find_path(CUPS_INCLUDE_DIR cups/cups.h REQUIRED)
find_library(CUPS_LIBRARY cups REQUIRED)
add_library(ThirdParty::cups UNKNOWN IMPORTED)
set_target_properties(ThirdParty::cups PROPERTIES
  IMPORTED_LOCATION "${CUPS_LIBRARY}" INTERFACE_INCLUDE_DIRECTORIES "${CUPS_INCLUDE_DIR}")

find_path(ZINT_INCLUDE_DIR zint.h REQUIRED)
find_library(ZINT_LIBRARY zint REQUIRED)
add_library(ThirdParty::zint UNKNOWN IMPORTED)
set_target_properties(ThirdParty::zint PROPERTIES
  IMPORTED_LOCATION "${ZINT_LIBRARY}" INTERFACE_INCLUDE_DIRECTORIES "${ZINT_INCLUDE_DIR}")

find_path(CSV_INCLUDE_DIR csv.h)
find_library(CSV_LIBRARY csv)
if(CSV_INCLUDE_DIR AND CSV_LIBRARY)
  add_library(ThirdParty::csv UNKNOWN IMPORTED)
  set_target_properties(ThirdParty::csv PROPERTIES
    IMPORTED_LOCATION "${CSV_LIBRARY}" INTERFACE_INCLUDE_DIRECTORIES "${CSV_INCLUDE_DIR}")
endif()
