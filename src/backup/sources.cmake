# The days in Backup/, putting one file back, and a copy of the whole program folder.
list(APPEND CORE_SOURCES ${CUR}/BackupRestore.h ${CUR}/BackupRestore.cpp)
list(APPEND UI_SOURCES ${CUR}/CopieSicurezza.h ${CUR}/CopieSicurezza.cpp)
list(APPEND UI_RESOURCE_FILES backup/art/copie.svg)
