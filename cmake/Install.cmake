# `cmake --install` puts the programs in bin/; the desktop entry, MIME type,
# icons (app/HelpAndDesktop.cmake) go under share/. Included after every
# module, so the targets exist when they are built at all.
include(GNUInstallDirs)
foreach(program leafsmith leafsmith-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# A direct install (no DESTDIR staging for a package) refreshes the desktop's
# caches, so the new type and the desktop entry are known at once. Packages do
# this in their own triggers.
install(CODE [[
  if(NOT DEFINED ENV{DESTDIR} OR "$ENV{DESTDIR}" STREQUAL "")
    set(share "${CMAKE_INSTALL_PREFIX}/share")
    find_program(update_mime update-mime-database)
    find_program(update_desktop update-desktop-database)
    if(update_mime)
      execute_process(COMMAND ${update_mime} "${share}/mime" RESULT_VARIABLE status)
      if(NOT status EQUAL 0)
        message(WARNING "update-mime-database ${share}/mime failed: ${status}")
      endif()
    endif()
    if(update_desktop)
      execute_process(COMMAND ${update_desktop} -q "${share}/applications" RESULT_VARIABLE status)
      if(NOT status EQUAL 0)
        message(WARNING "update-desktop-database ${share}/applications failed: ${status}")
      endif()
    endif()
  endif()
]])
