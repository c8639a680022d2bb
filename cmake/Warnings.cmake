# Every target of the project compiles warning-clean with these.
add_compile_options(-Wall -Wextra)
# GCC 12's optimiser warns of overlapping copies inside libstdc++'s own
# std::string::replace and operator+ where none can happen (GCC bug 105329);
# the warning says nothing about our code there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
