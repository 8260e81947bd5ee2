# Electronic invoices for receipts: fiscal data, the invoice model and its XML, the register.
list(APPEND CORE_SOURCES
    ${CUR}/FiscalData.h ${CUR}/FiscalData.cpp
    ${CUR}/LatinText.h ${CUR}/LatinText.cpp
    ${CUR}/Invoice.h ${CUR}/Invoice.cpp
    ${CUR}/InvoiceFiles.h ${CUR}/InvoiceFiles.cpp)
