# The days in Backup/, putting one file back, and a copy of the whole program folder.
list(APPEND CORE_SOURCES ${CUR}/BackupRestore.h ${CUR}/BackupRestore.cpp)
