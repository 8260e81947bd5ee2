// Carvenna as its own main() starts it, linked as the program is, with the start-up benchmark's marks:
// "painted" once the password window's first frame is on the window (followed by the window's size,
// "painted 41236 420x236", for the bare program to take), "idle" once every window has been built and
// the event loop first waits for the user.
#include "StartupMarks.h"
#include "app/HeapSettings.h"
#include "app/ProgramMain.h"
#include <QApplication>
#include <QWidget>
#include <cstdio>

int main(int argc, char** argv) {
    ConfigureHeap();
    QApplication qapp(argc, argv);
    return RunCarvenna(qapp, [] {
        QSize size;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                size = w->size();
        std::printf("painted %ld %dx%d\n", startup::ResidentKb(), size.width(), size.height());
        std::fflush(stdout);
        OnFirstIdle([] { startup::PrintMark("idle"); });
    });
}
