# Tax code and VAT number checks: the rules in core, the two check windows in the UI.
list(APPEND CORE_SOURCES
    ${CUR}/TaxCode.h ${CUR}/TaxCode.cpp
    ${CUR}/VatNumber.h ${CUR}/VatNumber.cpp
    ${CUR}/PayerCode.h ${CUR}/PayerCode.cpp
    ${CUR}/Iban.h ${CUR}/Iban.cpp
    ${CUR}/FieldProblem.h)
list(APPEND UI_SOURCES
    ${CUR}/TypingLimit.h ${CUR}/TypingLimit.cpp
    ${CUR}/CodFisc.h ${CUR}/CodFisc.cpp ${CUR}/CodFisc.ui
    ${CUR}/PartitaIva.h ${CUR}/PartitaIva.cpp ${CUR}/PartitaIva.ui)
