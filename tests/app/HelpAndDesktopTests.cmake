# Tests of the help window and of the desktop integration. They run on the
# offscreen platform and register file types in temporary XDG folders.
if(NOT TARGET leafsmith_shell_support)
  return()
endif()
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
add_executable(shell_support_tests
  DesktopTestMain.cpp HelpPagesTest.cpp HelpWindowTest.cpp FileAssociationsTest.cpp
  DesktopInstallTest.cpp)
target_link_libraries(shell_support_tests PRIVATE
  test_support GTest::gtest leafsmith_shell_support Qt6::Test)
target_compile_definitions(shell_support_tests PRIVATE
  LEAF_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  LEAF_BINARY_DIR="${CMAKE_BINARY_DIR}"
  LEAF_CMAKE_COMMAND="${CMAKE_COMMAND}"
  LEAF_MODULE_INSTALL_DIR="${LEAFSMITH_MODULE_INSTALL_DIR}"
  LEAF_HAS_DESKTOP_PROGRAM=$<TARGET_EXISTS:leafsmith>)
gtest_discover_tests(shell_support_tests DISCOVERY_TIMEOUT 60
  PROPERTIES TIMEOUT 300 ENVIRONMENT QT_QPA_PLATFORM=offscreen)
