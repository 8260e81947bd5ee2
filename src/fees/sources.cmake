# A month's fees: the month rules, the list of enrolled cards and the issuing batch in core; the
# window "Rette del mese" with its table model.
list(APPEND CORE_SOURCES
    ${CUR}/MonthFees.h ${CUR}/MonthFees.cpp
    ${CUR}/FeeLedger.h ${CUR}/FeeLedger.cpp)
list(APPEND UI_SOURCES
    ${CUR}/RetteModel.h ${CUR}/RetteModel.cpp
    ${CUR}/RetteMese.h ${CUR}/RetteMese.cpp)
# The family account and the reminders in core, their windows and the payment QR code.
list(APPEND CORE_SOURCES
    ${CUR}/FamilyAccount.h ${CUR}/FamilyAccount.cpp
    ${CUR}/Reminders.h ${CUR}/Reminders.cpp
    ${CUR}/NurseryBonus.h ${CUR}/NurseryBonus.cpp)
list(APPEND REPORT_SOURCES
    ${CUR}/PaymentQr.h ${CUR}/PaymentQr.cpp
    ${CUR}/PageWriter.h ${CUR}/PageWriter.cpp
    ${CUR}/FeeDocuments.h ${CUR}/FeeDocuments.cpp
    ${CUR}/BonusDocuments.h ${CUR}/BonusDocuments.cpp)
list(APPEND UI_SOURCES
    ${CUR}/EstrattoConto.h ${CUR}/EstrattoConto.cpp
    ${CUR}/Solleciti.h ${CUR}/Solleciti.cpp
    ${CUR}/BonusNido.h ${CUR}/BonusNido.cpp)
