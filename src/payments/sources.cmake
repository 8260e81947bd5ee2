# Being paid: the school's account and creditor data, direct-debit mandates and files, and the bank
# statement matched back to the fees.
list(APPEND CORE_SOURCES
    ${CUR}/PaymentSettings.h ${CUR}/PaymentSettings.cpp)
