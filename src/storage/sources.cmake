list(APPEND CORE_SOURCES
    ${CUR}/Text.h ${CUR}/Text.cpp
    ${CUR}/FixedField.h ${CUR}/FixedField.cpp
    ${CUR}/ColumnLine.h ${CUR}/ColumnLine.cpp
    ${CUR}/FileOps.h ${CUR}/FileOps.cpp
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
    ${CUR}/Journal.h ${CUR}/Journal.cpp
    ${CUR}/AuditedSave.h ${CUR}/AuditedSave.cpp)
