# Helpers that the windows of several folders share: the date fields' keys, the digits-only filter and
# the date picker, and the named labels and buttons of windows laid out in code.
list(APPEND UI_SOURCES
    ${CUR}/FieldKeys.h ${CUR}/FieldKeys.cpp
    ${CUR}/DigitsFilter.h ${CUR}/DigitsFilter.cpp
    ${CUR}/Calendario.h ${CUR}/Calendario.cpp ${CUR}/Calendario.ui
    ${CUR}/NamedControls.h)
