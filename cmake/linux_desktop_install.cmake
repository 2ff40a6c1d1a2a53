# The launch manager on a Linux desktop: its menu entry and its icon in the hicolor theme, in the
# sizes drawn for it (tools/make_artwork.py).
install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/qz7manager.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size IN ITEMS 16 32 48 64)
  set(icon ${PROJECT_SOURCE_DIR}/resources/art/app_icon_${size}.png)
  if(size EQUAL 64)
    set(icon ${PROJECT_SOURCE_DIR}/resources/art/app_icon.png)
  endif()
  install(FILES ${icon}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME qz7manager.png)
endforeach()
qz7_install_compressed(qz7manager_manual_page ${PROJECT_SOURCE_DIR}/resources/linux/qz7manager.1
  ${CMAKE_INSTALL_MANDIR}/man1)
