# Being paid: the school's account and creditor data, direct-debit mandates and files, and the bank
# statement matched back to the fees.
list(APPEND CORE_SOURCES
    ${CUR}/PaymentSettings.h ${CUR}/PaymentSettings.cpp)
list(APPEND CORE_SOURCES
    ${CUR}/Mandates.h ${CUR}/Mandates.cpp
    ${CUR}/SddFile.h ${CUR}/SddFile.cpp
    ${CUR}/SddRegister.h ${CUR}/SddRegister.cpp
    ${CUR}/Statement.h ${CUR}/Statement.cpp
    ${CUR}/PaymentMatch.h ${CUR}/PaymentMatch.cpp)
list(APPEND UI_SOURCES
    ${CUR}/MandatoSdd.h ${CUR}/MandatoSdd.cpp
    ${CUR}/AddebitiSdd.h ${CUR}/AddebitiSdd.cpp
    ${CUR}/MovimentiBancari.h ${CUR}/MovimentiBancari.cpp)
