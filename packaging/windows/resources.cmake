# tervalink_windows_resources(TARGET DESCRIPTION): a Windows program's resources, compiled by
# windres from program.rc.in: the manifest (program.manifest.in), the icon (made from the Linux
# icon's SVG at build time, see below) and the version information, whose file description is
# DESCRIPTION. Nothing on Linux.
set(TERVALINK_WINDOWS_ICON ${PROJECT_BINARY_DIR}/packaging/windows/tervalink.ico)
set(TERVALINK_PUBLISHER "Tervalink maintainers")
set(TERVALINK_COPYRIGHT "Copyright 2026 Tervalink maintainers")

# The icon of both programs, the shortcut and Apps and Features: the SVG rendered at each size
# Windows asks for, 256 kept as PNG as Windows Vista and later read it.
function(tervalink_windows_icon)
  find_program(TERVALINK_RSVG_CONVERT rsvg-convert REQUIRED)
  find_program(TERVALINK_ICOTOOL icotool REQUIRED)
  set(svg ${PROJECT_SOURCE_DIR}/packaging/io.github.tervalink.Tervalink.svg)
  set(folder ${PROJECT_BINARY_DIR}/packaging/windows/icon)
  set(render COMMAND ${CMAKE_COMMAND} -E make_directory ${folder})
  set(small)
  foreach(size 16 24 32 48 64 256)
    list(APPEND render COMMAND ${TERVALINK_RSVG_CONVERT} -w ${size} -h ${size} -o ${folder}/${size}.png ${svg})
    if(NOT size EQUAL 256)
      list(APPEND small ${folder}/${size}.png)
    endif()
  endforeach()
  add_custom_command(OUTPUT ${TERVALINK_WINDOWS_ICON}
    ${render}
    COMMAND ${TERVALINK_ICOTOOL} -c -o ${TERVALINK_WINDOWS_ICON} ${small} -r ${folder}/256.png
    DEPENDS ${svg}
    COMMENT "Making tervalink.ico from the SVG icon")
  add_custom_target(tervalink_windows_icon DEPENDS ${TERVALINK_WINDOWS_ICON})
endfunction()

function(tervalink_windows_resources target description)
  if(NOT WIN32)
    return()
  endif()
  if(NOT TARGET tervalink_windows_icon)
    tervalink_windows_icon()
  endif()
  set(TERVALINK_PROGRAM ${target})
  set(TERVALINK_FILE_DESCRIPTION "${description}")
  # VERSIONINFO's numeric form: four numbers, the missing ones 0.
  set(TERVALINK_VERSION_NUMBERS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,0)
  if(NOT "${PROJECT_VERSION_PATCH}" STREQUAL "")
    set(TERVALINK_VERSION_NUMBERS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
  endif()
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest.in
                 ${folder}/${target}.manifest @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${folder}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${folder}/${target}.rc)
  set_source_files_properties(${folder}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${folder}/${target}.manifest;${TERVALINK_WINDOWS_ICON}")
  add_dependencies(${target} tervalink_windows_icon)
endfunction()
