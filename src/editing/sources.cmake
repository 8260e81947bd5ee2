# What the receipt and registry editors share: browsing, saving over a record another workstation may
# have changed, the history window, the cancellation of a receipt, and their buttons' pictures.
list(APPEND UI_SOURCES
    ${CUR}/RecordEditor.h ${CUR}/RecordEditor.cpp
    ${CUR}/Storico.h ${CUR}/Storico.cpp
    ${CUR}/AnnullaRicevuta.h ${CUR}/AnnullaRicevuta.cpp)
foreach(icon annulla storico fattura importa)
    list(APPEND UI_RESOURCE_FILES editing/icons/${icon}.svg)
endforeach()
