// Carvenna: receipts and registry for the office of a nursery school.
#include "app/HeapSettings.h"
#include "app/ProgramMain.h"
#include <QApplication>

int main(int argc, char** argv) {
    ConfigureHeap();
    QApplication qapp(argc, argv);
    return RunCarvenna(qapp);
}
