# Installing the main bundle tree: `cmake --install` copies build/stage/
# Dunsellow.app to <prefix>/lib/dunsellow/Dunsellow.app as staged (layouts,
# resources, modules, the programs inside it), installs every program and
# plug-in staged under build/stage again through install(TARGETS) so that
# its run path points at <prefix>/lib/dunsellow/lib (relative to itself)
# instead of the build tree, installs the shared libraries of build/lib
# there, and adds the launcher <prefix>/bin/dunsellow, a desktop entry and
# the program's icon.

# Every target of the project (all directories).
function(dunsellow_all_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    dunsellow_all_targets(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# "$ORIGIN" and as many ".." as `rel` has folders, then "lib".
function(dunsellow_origin_rpath rel out)
  set(rpath "$ORIGIN")
  string(REPLACE "/" ";" parts "${rel}")
  foreach(part IN LISTS parts)
    string(APPEND rpath "/..")
  endforeach()
  set(${out} "${rpath}/lib" PARENT_SCOPE)
endfunction()

# The type of target T and the folder its program or library is built
# into (empty for anything else, or when the folder is the default one).
function(dunsellow_target_output t type_out dir_out)
  get_target_property(type ${t} TYPE)
  set(out "")
  if(type STREQUAL "EXECUTABLE")
    get_target_property(out ${t} RUNTIME_OUTPUT_DIRECTORY)
  elseif(type STREQUAL "MODULE_LIBRARY" OR type STREQUAL "SHARED_LIBRARY")
    get_target_property(out ${t} LIBRARY_OUTPUT_DIRECTORY)
  endif()
  if(NOT out)
    set(out "")
  endif()
  set(${type_out} ${type} PARENT_SCOPE)
  set(${dir_out} "${out}" PARENT_SCOPE)
endfunction()

function(dunsellow_install_main_bundle)
  set(app ${DUNSELLOW_STAGE_DIR}/Dunsellow.app)
  install(DIRECTORY ${app} DESTINATION lib/dunsellow USE_SOURCE_PERMISSIONS)

  dunsellow_all_targets(${CMAKE_SOURCE_DIR} targets)
  foreach(t IN LISTS targets)
    dunsellow_target_output(${t} type out)
    if(NOT out)
      continue()
    endif()
    if(type STREQUAL "SHARED_LIBRARY" AND out STREQUAL "${CMAKE_BINARY_DIR}/lib")
      # The shared layers, beside one another; qel installs itself.
      if(NOT t STREQUAL "qel")
        set_target_properties(${t} PROPERTIES INSTALL_RPATH "$ORIGIN")
        install(TARGETS ${t} LIBRARY DESTINATION lib/dunsellow/lib)
      endif()
      continue()
    endif()
    string(FIND "${out}/" "${DUNSELLOW_STAGE_DIR}/" at)
    if(NOT at EQUAL 0)
      continue()
    endif()
    # <prefix>/lib/dunsellow/<rel>: the folders up to lib/dunsellow, then lib.
    file(RELATIVE_PATH rel ${DUNSELLOW_STAGE_DIR} ${out})
    dunsellow_origin_rpath("${rel}" rpath)
    set_target_properties(${t} PROPERTIES INSTALL_RPATH "${rpath}")
    install(TARGETS ${t} RUNTIME DESTINATION lib/dunsellow/${rel} LIBRARY DESTINATION lib/dunsellow/${rel})
  endforeach()

  dunsellow_install_program(dunsellow "Dunsellow.app/Contents/MacOS/Dunsellow" dunsellow.desktop.in)
  dunsellow_install_program(dunsellow-viewer
    "Dunsellow.app/Contents/Dunsellow Vistrel.app/Contents/MacOS/Dunsellow Vistrel" dunsellow-viewer.desktop.in)
  dunsellow_install_program(dunsellow-player
    "Dunsellow.app/Contents/Dunsellow Playvane.app/Contents/MacOS/Dunsellow Playvane" dunsellow-player.desktop.in)
  dunsellow_install_icons()
endfunction()

# <prefix>/bin/NAME starting the program at lib/dunsellow/PROGRAM, and its
# desktop entry from cmake/DESKTOP, whose Exec names that launcher under the
# prefix given to the install (not the one the build was configured with).
function(dunsellow_install_program name program desktop)
  set(DUNSELLOW_LAUNCHED_PROGRAM "${program}")
  configure_file(${CMAKE_SOURCE_DIR}/cmake/launcher.sh.in ${CMAKE_BINARY_DIR}/launchers/${name} @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/launchers/${name} DESTINATION bin)
  string(REPLACE ".in" "" entry "${desktop}")
  install(CODE "
    set(DUNSELLOW_INSTALLED_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/bin/${name}\")
    configure_file(\"${CMAKE_SOURCE_DIR}/cmake/${desktop}\"
                   \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/${entry}\" @ONLY)
    message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/${entry}\")")
endfunction()

# The icon as SVG and as PNG in the sizes desktops ask for; the small ones
# are drawn from their own pixel-grid picture (cmake/icons/).
function(dunsellow_install_icons)
  set(icons ${CMAKE_SOURCE_DIR}/cmake/icons)
  install(FILES ${icons}/dunsellow.svg DESTINATION share/icons/hicolor/scalable/apps)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${icons}/dunsellow-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
            RENAME dunsellow.png)
  endforeach()
endfunction()

# Every program, plug-in and shared library staged under the build's stage
# folder or beside it in lib/: what `scripts/run` builds (target `suite`),
# leaving tests and benchmarks out.
function(dunsellow_add_suite_target)
  dunsellow_all_targets(${CMAKE_SOURCE_DIR} targets)
  add_custom_target(suite)
  foreach(t IN LISTS targets)
    dunsellow_target_output(${t} type out)
    if(out)
      string(FIND "${out}/" "${DUNSELLOW_STAGE_DIR}/" staged)
      if(staged EQUAL 0 OR out STREQUAL "${CMAKE_BINARY_DIR}/lib")
        add_dependencies(suite ${t})
      endif()
    endif()
  endforeach()
endfunction()
