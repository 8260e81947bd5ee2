list(APPEND CORE_SOURCES
    ${CUR}/Text.h ${CUR}/Text.cpp
    ${CUR}/FixedField.h ${CUR}/FixedField.cpp
    ${CUR}/ColumnLine.h ${CUR}/ColumnLine.cpp
    ${CUR}/FileOps.h ${CUR}/FileOps.cpp
    ${CUR}/SystemFile.h
    ${CUR}/SaveFile.h ${CUR}/SaveFile.cpp
    ${CUR}/RecordFile.h ${CUR}/RecordFile.cpp
    ${CUR}/ReceiptFile.h ${CUR}/ReceiptFile.cpp
    ${CUR}/RegistryFile.h ${CUR}/RegistryFile.cpp
    ${CUR}/IniFile.h ${CUR}/IniFile.cpp
    ${CUR}/Dates.h ${CUR}/Dates.cpp
    ${CUR}/Lists.h ${CUR}/Lists.cpp
    ${CUR}/Backup.h ${CUR}/Backup.cpp)
# History and print journals beside the archives; saves checked against other workstations.
list(APPEND CORE_SOURCES
    ${CUR}/JournalLines.h ${CUR}/JournalLines.cpp
    ${CUR}/RecordChanges.h ${CUR}/RecordChanges.cpp
    ${CUR}/HistoryJournal.h ${CUR}/HistoryJournal.cpp
    ${CUR}/PrintJournal.h ${CUR}/PrintJournal.cpp
    ${CUR}/AuditedSave.h ${CUR}/AuditedSave.cpp)
# The file calls that differ between systems, one file per system.
if(WIN32)
    list(APPEND CORE_SOURCES ${CUR}/SystemFileWin.cpp)
else()
    list(APPEND CORE_SOURCES ${CUR}/SystemFilePosix.cpp)
endif()
