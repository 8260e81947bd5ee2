list(APPEND CORE_SOURCES
    ${CUR}/Crypt.h ${CUR}/Crypt.cpp
    ${CUR}/ProgramFolder.h ${CUR}/ProgramFolder.cpp
    ${CUR}/HeapSettings.h ${CUR}/HeapSettings.cpp
    ${CUR}/ProgramRunner.h
    ${CUR}/GuideSections.h ${CUR}/GuideSections.cpp)
list(APPEND UI_SOURCES
    ${CUR}/Platform.h ${CUR}/Platform.cpp ${CUR}/Printing.h
    ${CUR}/DesktopPlatform.h ${CUR}/DesktopPlatform.cpp
    ${CUR}/Carvenna.h ${CUR}/Carvenna.cpp ${CUR}/CarvennaWindows.cpp
    ${CUR}/StatusHints.h ${CUR}/StatusHints.cpp
    ${CUR}/FocusFrame.h ${CUR}/KeyboardReach.h ${CUR}/FieldText.h ${CUR}/Placement.h ${CUR}/CommonMessages.h
    ${CUR}/Password.h ${CUR}/Password.cpp ${CUR}/Password.ui
    ${CUR}/CambiaPassword.h ${CUR}/CambiaPassword.cpp ${CUR}/CambiaPassword.ui)
# Start menu, information, splash and guide windows, the shell opener.
include(${CUR}/shell.cmake OPTIONAL)
list(APPEND UI_RESOURCE_FILES app/art/chiave.svg)
# The program's start: program folder, translations, services and the first window (main.cpp calls it).
list(APPEND UI_SOURCES ${CUR}/ProgramMain.h ${CUR}/ProgramMain.cpp ${CUR}/FirstFrame.h)
list(APPEND UI_RESOURCE_FILES app/translations/carvenna_qt_it.ts)
# The mail hand-off differs between systems, one file per system.
if(WIN32)
    list(APPEND UI_SOURCES ${CUR}/DesktopMailWin.cpp)
else()
    list(APPEND UI_SOURCES ${CUR}/DesktopMailPosix.cpp)
endif()
