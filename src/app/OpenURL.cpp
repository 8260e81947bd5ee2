#include "app/OpenURL.h"
#include "app/Carvenna.h"

void TMisc::Open(Carvenna& app, const QString& command) {
    app.shell().Open(command);
}
