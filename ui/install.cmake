# Desktop integration: the launcher entry and the application icon in the
# freedesktop folders below the install prefix (`pixmill` itself and
# `pixmill-batch` are installed with their targets).
include(GNUInstallDirs)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/pixmill.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/icons/pixmill.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/icons/pixmill-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME pixmill.png)
endforeach()
