# tervalink_windows_resources(TARGET): a Windows program's resources, compiled by windres. Today
# the manifest (program.manifest.in); further resources go into program.rc.in. Nothing on Linux.
function(tervalink_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  set(TERVALINK_PROGRAM ${target})
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest.in
                 ${folder}/${target}.manifest @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${folder}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${folder}/${target}.rc)
  set_source_files_properties(${folder}/${target}.rc PROPERTIES
    OBJECT_DEPENDS ${folder}/${target}.manifest)
endfunction()
