# Report engine: template model and JSON loading, preparation into pages, painting.
list(APPEND REPORT_SOURCES
    ${CUR}/ReportTemplate.h ${CUR}/ReportTemplate.cpp
    ${CUR}/PreparedReport.h ${CUR}/PreparedReport.cpp
    ${CUR}/ReportPainter.h ${CUR}/ReportPainter.cpp)
