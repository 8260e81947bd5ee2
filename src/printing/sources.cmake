# Receipt print and preview windows, the printing service and the report templates.
list(APPEND UI_SOURCES
    ${CUR}/DesktopPrinting.h ${CUR}/DesktopPrinting.cpp
    ${CUR}/PdfOutput.h ${CUR}/PdfOutput.cpp
    ${CUR}/ReceiptLayout.h ${CUR}/ReceiptLayout.cpp
    ${CUR}/ReceiptPrint.h ${CUR}/ReceiptPrint.cpp
    ${CUR}/ReceiptPrintDialog.h ${CUR}/ReceiptPrintDialog.cpp
    ${CUR}/StampaRic.h ${CUR}/StampaRic.cpp ${CUR}/StampaRic.ui
    ${CUR}/AnteprimaRic.h ${CUR}/AnteprimaRic.cpp ${CUR}/AnteprimaRic.ui)
# Templates and the small pictures they hold (drawn as SVG beside them, stored as PNG for the engine,
# which uses Qt Gui only).
list(APPEND REPORT_RESOURCE_FILES
    printing/templates/receipt.json
    printing/templates/list.json
    printing/templates/statement.json
    printing/templates/euro.png
    printing/templates/comma.png
    printing/templates/scissors.png)
list(APPEND UI_RESOURCE_FILES
    printing/art/stampa.svg
    printing/art/anteprima.svg)
include(${CUR}/card.cmake)
# Many stored receipts in one print job.
list(APPEND UI_SOURCES ${CUR}/ReceiptBatchPrint.h ${CUR}/ReceiptBatchPrint.cpp)
# A receipt's or a statement's PDF handed to the mail program.
list(APPEND UI_SOURCES
    ${CUR}/MailDocument.h ${CUR}/MailDocument.cpp)
