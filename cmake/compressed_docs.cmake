# Manual pages and the changelog are installed compressed, as Debian keeps them: gzip -9n, the
# best compression and no file name or time inside, so the same text gives the same bytes.
find_program(QZ7_GZIP gzip REQUIRED)

# Compresses FILE (a source file or one the build makes in the same folder) into FILE.gz in the
# current build folder with the build (target NAME), and installs it into DESTINATION.
function(qz7_install_compressed name file destination)
  get_filename_component(base ${file} NAME)
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${base}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$2\"" ${QZ7_GZIP} ${file} ${compressed}
    DEPENDS ${file} VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${destination})
endfunction()
