# Registry editor and its fields.
list(APPEND CORE_SOURCES
    ${CUR}/FeeFormat.h ${CUR}/FeeFormat.cpp
    ${CUR}/ChildTaxCodes.h ${CUR}/ChildTaxCodes.cpp)
list(APPEND UI_SOURCES
    ${CUR}/CardPhoto.h ${CUR}/CardPhoto.cpp
    ${CUR}/Tiratori.h ${CUR}/Tiratori.cpp ${CUR}/Tiratori.ui)
foreach(art foto_vuota scheda file scadcert scadute carica webcam salvafoto cancfoto zoom croce)
    list(APPEND UI_RESOURCE_FILES registry/art/${art}.svg)
endforeach()
# Photo tools, webcam and attached documents.
include(${CUR}/photos.cmake OPTIONAL)
# Cards brought in from a spreadsheet.
list(APPEND CORE_SOURCES
    ${CUR}/CardFields.h ${CUR}/CardFields.cpp
    ${CUR}/SheetRead.h ${CUR}/SheetRead.cpp
    ${CUR}/SheetConvert.h ${CUR}/SheetConvert.cpp
    ${CUR}/ColumnGuess.h ${CUR}/ColumnGuess.cpp
    ${CUR}/CardImport.h ${CUR}/CardImport.cpp)
list(APPEND UI_SOURCES ${CUR}/ImportaSchede.h ${CUR}/ImportaSchede.cpp)
# Where LibreOffice is found differs between systems, one file per system.
if(WIN32)
    list(APPEND CORE_SOURCES ${CUR}/FindOfficeWin.cpp)
else()
    list(APPEND CORE_SOURCES ${CUR}/FindOfficePosix.cpp)
endif()
