# Takings summary: the criteria window, the summary window and the rule that builds the list.
list(APPEND CORE_SOURCES
    ${CUR}/Takings.h ${CUR}/Takings.cpp)
list(APPEND UI_SOURCES
    ${CUR}/PickListField.h ${CUR}/PickListField.cpp
    ${CUR}/FindKeys.h ${CUR}/FindKeys.cpp
    ${CUR}/MenuRiepCosti.h ${CUR}/MenuRiepCosti.cpp ${CUR}/MenuRiepCosti.ui
    ${CUR}/RiepCosti.h ${CUR}/RiepCosti.cpp ${CUR}/RiepCosti.ui)
list(APPEND UI_RESOURCE_FILES
    summary/art/incassi.svg)
list(APPEND CORE_SOURCES
    ${CUR}/Statements.h ${CUR}/Statements.cpp)
list(APPEND UI_SOURCES
    ${CUR}/StatementPrint.h ${CUR}/StatementPrint.cpp
    ${CUR}/AttestazioniModel.h ${CUR}/AttestazioniModel.cpp
    ${CUR}/Attestazioni.h ${CUR}/Attestazioni.cpp ${CUR}/Attestazioni.ui)
list(APPEND UI_SOURCES
    ${CUR}/SummaryExport.h ${CUR}/SummaryExport.cpp)
