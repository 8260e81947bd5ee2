# Year window, numbering start, logo and the default logo.
list(APPEND UI_SOURCES
    ${CUR}/DefaultLogo.h ${CUR}/DefaultLogo.cpp
    ${CUR}/MenuRicevute.h ${CUR}/MenuRicevute.cpp ${CUR}/MenuRicevute.ui
    ${CUR}/Numerazione.h ${CUR}/Numerazione.cpp ${CUR}/Numerazione.ui
    ${CUR}/Logo.h ${CUR}/Logo.cpp ${CUR}/Logo.ui)
list(APPEND UI_RESOURCE_FILES
    receipts/art/euro_logo.svg
    receipts/art/euro_piccolo.svg
    receipts/art/nessun_logo.svg
    receipts/art/guida.svg
    receipts/art/esci.svg
    receipts/art/ricevute.svg)
