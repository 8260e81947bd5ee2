# Registry card print and preview windows, the shared print-window look and the card template.
list(APPEND UI_SOURCES
    ${CUR}/PrintWindow.h ${CUR}/PrintWindow.cpp
    ${CUR}/CardPrint.h ${CUR}/CardPrint.cpp
    ${CUR}/CardPrintDialog.h ${CUR}/CardPrintDialog.cpp
    ${CUR}/StampaTiratori.h ${CUR}/StampaTiratori.cpp ${CUR}/StampaTiratori.ui
    ${CUR}/AnteprimaTiratori.h ${CUR}/AnteprimaTiratori.cpp ${CUR}/AnteprimaTiratori.ui)
list(APPEND REPORT_RESOURCE_FILES printing/templates/card.json)
list(APPEND UI_RESOURCE_FILES
    printing/art/scheda_stampa.svg
    printing/art/scheda_anteprima.svg)
