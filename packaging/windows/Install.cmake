# Installation rules of the Windows build (package-windows.sh): the program folder is flat, with the
# data beside the program, as on Linux. The Qt libraries, plugins and runtime are gathered by the script.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS carvenna carvenna_setpassword RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/Guida.pdf DESTINATION .)
