// The bare Qt program that the start-up benchmark sets Carvenna beside: a window with one edit field,
// linked with Qt Widgets alone. "--size WxH" gives it the size of Carvenna's first window. It prints
// the same marks as the benchmark's Carvenna child: "painted" once its first frame is on the window,
// "idle" once its event loop first waits.
#include "StartupMarks.h"
#include "app/FirstFrame.h"
#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    int width = 420, height = 236;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--size") == 0)
            std::sscanf(argv[i + 1], "%dx%d", &width, &height);
    QApplication app(argc, argv);
    OnFirstFrame(app, [] {
        startup::PrintMark("painted");
        OnFirstIdle([] { startup::PrintMark("idle"); });
    });
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLineEdit);
    window.resize(width, height);
    window.show();
    return app.exec();
}
