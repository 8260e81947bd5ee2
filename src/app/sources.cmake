list(APPEND CORE_SOURCES
    ${CUR}/Crypt.h ${CUR}/Crypt.cpp)
list(APPEND UI_SOURCES
    ${CUR}/Platform.h ${CUR}/Platform.cpp
    ${CUR}/DesktopPlatform.h ${CUR}/DesktopPlatform.cpp
    ${CUR}/Carvenna.h ${CUR}/Carvenna.cpp
    ${CUR}/StatusHints.h ${CUR}/StatusHints.cpp
    ${CUR}/FocusFrame.h ${CUR}/FieldText.h ${CUR}/Placement.h ${CUR}/CommonMessages.h
    ${CUR}/Password.h ${CUR}/Password.cpp ${CUR}/Password.ui
    ${CUR}/CambiaPassword.h ${CUR}/CambiaPassword.cpp ${CUR}/CambiaPassword.ui)
# Start menu, information, splash and guide windows, the shell opener.
include(${CUR}/shell.cmake OPTIONAL)
list(APPEND UI_RESOURCE_FILES app/art/chiave.svg)
