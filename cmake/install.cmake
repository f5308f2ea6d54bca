# Installation layout: programs in bin, their data under share/zelvox (found from the program's
# own place as ../share/zelvox), man pages, the systemd unit, and for a build whose zelvox has
# the window the desktop entry and icon. Also puts the manual beside the programs in the build
# tree, where the window's Help finds it as it finds the language files.
set(zelvox_resources ${CMAKE_SOURCE_DIR}/resources)
set(zelvox_program_dir ${CMAKE_BINARY_DIR}/src/app)

install(TARGETS zelvox zelvox-tool RUNTIME DESTINATION bin)

# The manual, English and German.
set(zelvox_help_files ${zelvox_resources}/help/Zelvox_E.html ${zelvox_resources}/help/Zelvox_D.html)
foreach(help_file ${zelvox_help_files})
  configure_file(${help_file} ${zelvox_program_dir}/ COPYONLY)
endforeach()
install(FILES ${zelvox_help_files} DESTINATION share/zelvox/help)

# The demo: the ESF export and the project imported from it by the zelvox-tool just built.
set(zelvox_demo_dir ${CMAKE_BINARY_DIR}/demo-project)
add_custom_command(
  OUTPUT ${zelvox_demo_dir}/demo.zlv
  COMMAND ${CMAKE_COMMAND} -E make_directory ${zelvox_demo_dir}
  COMMAND ${CMAKE_COMMAND} -E env ZELVOX_HOME=${zelvox_demo_dir}/home
          $<TARGET_FILE:zelvox-tool> import-esf ${zelvox_resources}/demo/demo.esf
          ${zelvox_demo_dir}/demo.zlv
  DEPENDS zelvox-tool ${zelvox_resources}/demo/demo.esf
  COMMENT "Importing the demo project"
  VERBATIM)
add_custom_target(zelvox_demo_project ALL DEPENDS ${zelvox_demo_dir}/demo.zlv)
install(FILES ${zelvox_resources}/demo/demo.esf ${zelvox_demo_dir}/demo.zlv
              ${zelvox_demo_dir}/demo.phd
        DESTINATION share/zelvox/demo)

# Man pages written from the programs' --help texts at build time.
set(zelvox_man_pages)
foreach(program zelvox zelvox-tool)
  if(program STREQUAL "zelvox")
    set(summary "KNX (EIB) group addresses served to OPC UA clients")
    set(description "zelvox keeps the value, quality and time stamp of every group address of a KNX project from the bus and serves them over OPC UA. With --headless it runs without a window, as the systemd service zelvox.service does.")
  else()
    set(summary "offline work on Zelvox projects, settings and addresses")
    set(description "zelvox-tool imports ESF exports into project files, converts ETS4 exports, chooses the bus interface, shows and changes the settings, manages the OPC UA users and trusted client certificates, and parses, formats, encodes and decodes addresses and group values, for scripts and for setting up a machine over a shell.")
  endif()
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program}
            "-DSUMMARY=${summary}" "-DDESCRIPTION=${description}" -DVERSION=${PROJECT_VERSION}
            -DOUT=${page} -P ${CMAKE_SOURCE_DIR}/cmake/help_to_man.cmake
    DEPENDS ${program} ${CMAKE_SOURCE_DIR}/cmake/help_to_man.cmake
    COMMENT "Writing the man page of ${program}"
    VERBATIM)
  list(APPEND zelvox_man_pages ${page})
endforeach()
add_custom_target(zelvox_man ALL DEPENDS ${zelvox_man_pages})
install(FILES ${zelvox_man_pages} DESTINATION share/man/man1)

# The unit names the program by the prefix of the installation being made (CPack installs
# with /usr), so it is written at install time.
install(CODE "
  set(ZELVOX_BIN_DIR \"\${CMAKE_INSTALL_PREFIX}/bin\")
  set(ZELVOX_HELP_DIR \"\${CMAKE_INSTALL_PREFIX}/share/zelvox/help\")
  configure_file(\"${zelvox_resources}/systemd/zelvox.service.in\"
                 \"${CMAKE_BINARY_DIR}/unit/zelvox.service\" @ONLY)
")
install(FILES ${CMAKE_BINARY_DIR}/unit/zelvox.service DESTINATION lib/systemd/system)

# The desktop entry and icon belong to the window program: installed when zelvox links Qt.
get_target_property(zelvox_links zelvox LINK_LIBRARIES)
if("${zelvox_links}" MATCHES "Qt6::|zelvox_ui")
  install(FILES ${zelvox_resources}/desktop/zelvox.desktop DESTINATION share/applications)
  install(FILES ${zelvox_resources}/icons/zelvox.svg
          DESTINATION share/icons/hicolor/scalable/apps)
endif()
