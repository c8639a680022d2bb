# The help window with its pages, and the program's place on the Linux desktop:
# desktop entry, MIME type, icons, and registering as the default viewer.
# The fuzz configuration leaves the desktop program out.
if(LEAFSMITH_FUZZ)
  return()
endif()
find_package(Qt6 REQUIRED COMPONENTS Core Widgets)

# QtCore only: the file type groups and their registration through XDG.
add_library(leafsmith_desktop_integration STATIC FileAssociations.cpp)
target_include_directories(leafsmith_desktop_integration PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(leafsmith_desktop_integration PUBLIC Qt6::Core)
set(LEAFSMITH_ICON_SIZES 16 22 24 32 48 64 128 256)
set(LEAFSMITH_ICON_FILES desktop/icons/leafsmith.svg)
foreach(size ${LEAFSMITH_ICON_SIZES})
  list(APPEND LEAFSMITH_ICON_FILES desktop/icons/leafsmith-${size}.png)
endforeach()
qt_add_resources(leafsmith_desktop_integration desktop_files
  PREFIX /leafsmith
  BASE desktop
  FILES desktop/leafsmith.desktop desktop/leafsmith.xml ${LEAFSMITH_ICON_FILES})

# The help window and the pages it shows.
file(GLOB LEAFSMITH_HELP_PAGES CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
     ${CMAKE_CURRENT_SOURCE_DIR}/help/*.html ${CMAKE_CURRENT_SOURCE_DIR}/help/*.css
     ${CMAKE_CURRENT_SOURCE_DIR}/help/*.png)
add_library(leafsmith_shell_support STATIC CHelpWindow.cpp HelpContents.cpp)
set_target_properties(leafsmith_shell_support PROPERTIES AUTOMOC ON)
target_include_directories(leafsmith_shell_support PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(leafsmith_shell_support PUBLIC leafsmith_desktop_integration Qt6::Widgets)
qt_add_resources(leafsmith_shell_support help_pages
  PREFIX /help
  BASE help
  FILES ${LEAFSMITH_HELP_PAGES})

# Installed files, in the layout the desktop expects under the prefix.
include(GNUInstallDirs)
install(FILES desktop/leafsmith.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES desktop/leafsmith.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES desktop/icons/leafsmith.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${LEAFSMITH_ICON_SIZES})
  install(FILES desktop/icons/leafsmith-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME leafsmith.png)
endforeach()
