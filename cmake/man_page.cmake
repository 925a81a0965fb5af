# tavrin_man_page(PAGE): a manual page of section 1 from the source folder, compressed as Debian
# keeps them, installed under man1.
function(tavrin_man_page page)
  get_filename_component(name ${page} NAME)
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
                     COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" gzip ${CMAKE_CURRENT_SOURCE_DIR}/${page} ${compressed}
                     DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${page} VERBATIM)
  string(MAKE_C_IDENTIFIER "tavrin_man_${name}" target)
  add_custom_target(${target} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
