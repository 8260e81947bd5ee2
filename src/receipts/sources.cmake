# Receipt editor and amount in words.
list(APPEND CORE_SOURCES
    ${CUR}/AmountWords.h ${CUR}/AmountWords.cpp)
list(APPEND UI_SOURCES
    ${CUR}/Ricevuta.h ${CUR}/Ricevuta.cpp ${CUR}/Ricevuta.ui)
foreach(icon nuovo duplica salva trova anteprima stampa primo indietro avanti ultimo esporta numerazione guida
             esci freccia codfisc)
    list(APPEND UI_RESOURCE_FILES receipts/icons/${icon}.svg)
endforeach()
# Year window, numbering start, logo and date picker.
include(${CUR}/settings.cmake OPTIONAL)
# Amount and numbering rules of a saved receipt, shared with the receipts written without the editor, and
# the reading of the numbering start and the receiver lines from the settings file.
list(APPEND CORE_SOURCES ${CUR}/ReceiptAmount.h ${CUR}/ReceiptAmount.cpp ${CUR}/ReceiptSettings.h)
# Whether a receipt is cancelled, for every reader of the archive.
list(APPEND CORE_SOURCES ${CUR}/Cancellation.h ${CUR}/Cancellation.cpp)
# A card's payer and child copied into a receipt, for the payer import and a month's fees.
list(APPEND CORE_SOURCES ${CUR}/CardPayer.h ${CUR}/CardPayer.cpp)
# The payment text with the payment's date and references, written by the batches and read by the documents.
list(APPEND CORE_SOURCES ${CUR}/PaymentText.h ${CUR}/PaymentText.cpp)
# The school's lines on every document and the date of a batch.
list(APPEND CORE_SOURCES ${CUR}/SchoolLines.h ${CUR}/SchoolLines.cpp ${CUR}/BatchDate.h ${CUR}/BatchDate.cpp)
