#include "app/Carvenna.h"
#include "search/TrovaTiratori.h"

// The registry editor is not part of the program yet: there is no card display to load into.
bool ShowCardInRegistry(Carvenna&, qint64) {
    return false;
}
