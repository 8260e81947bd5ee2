# Electronic invoices for receipts: fiscal data, the invoice model and its XML, the register.
list(APPEND CORE_SOURCES
    ${CUR}/FiscalData.h ${CUR}/FiscalData.cpp
    ${CUR}/LatinText.h ${CUR}/LatinText.cpp
    ${CUR}/Invoice.h ${CUR}/Invoice.cpp
    ${CUR}/InvoiceFiles.h ${CUR}/InvoiceFiles.cpp
    ${CUR}/InvoicePlan.h ${CUR}/InvoicePlan.cpp
    ${CUR}/CreditNote.h ${CUR}/CreditNote.cpp
    ${CUR}/SdiPackage.h ${CUR}/SdiPackage.cpp ${CUR}/ZipApi.h
    ${CUR}/SdiNotice.h ${CUR}/SdiNotice.cpp
    ${CUR}/StampDuty.h ${CUR}/StampDuty.cpp)
# libzip opened on first use or linked (the top CMakeLists.txt chooses, CARVENNA_LIBS_ON_USE).
set(ZIP_LOAD_SOURCES ${CUR}/ZipApiLoad.cpp)
set(ZIP_LINKED_SOURCES ${CUR}/ZipApiLinked.cpp)
# The courtesy copy of an invoice, laid out for the report engine.
list(APPEND REPORT_SOURCES
    ${CUR}/CourtesyCopy.h ${CUR}/CourtesyCopy.cpp
    ${CUR}/StampDutyReport.h ${CUR}/StampDutyReport.cpp)
# The fiscal data window, the payer window and the invoice commands of the receipt windows.
list(APPEND UI_SOURCES
    ${CUR}/DatiFiscali.h ${CUR}/DatiFiscali.cpp
    ${CUR}/DatiCliente.h ${CUR}/DatiCliente.cpp
    ${CUR}/EmettiFattura.h ${CUR}/EmettiFattura.cpp
    ${CUR}/NotaDiCredito.h ${CUR}/NotaDiCredito.cpp
    ${CUR}/FattureElettroniche.h ${CUR}/FattureElettroniche.cpp)
