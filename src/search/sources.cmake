# Receipt and registry searches, expiry lists and their list print.
list(APPEND CORE_SOURCES
    ${CUR}/ListLines.h ${CUR}/ListLines.cpp)
list(APPEND REPORT_SOURCES
    ${CUR}/ListReport.h ${CUR}/ListReport.cpp)
list(APPEND UI_SOURCES
    ${CUR}/ListWindow.h ${CUR}/ListWindow.cpp
    ${CUR}/FindWindow.h ${CUR}/FindWindow.cpp
    ${CUR}/TrovaRic.h ${CUR}/TrovaRic.cpp
    ${CUR}/TrovaTiratori.h ${CUR}/TrovaTiratori.cpp
    ${CUR}/ExpiryWindow.h ${CUR}/ExpiryWindow.cpp
    ${CUR}/CertScaduti.h ${CUR}/TessereScadute.h)
list(APPEND UI_RESOURCE_FILES
    search/art/lente.svg
    search/art/scadenza.svg)
