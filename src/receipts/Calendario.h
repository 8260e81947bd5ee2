#pragma once
// The date picker moved to src/widgets with the other helpers every folder's windows share; this name
// stays for the month's fees window until it includes widgets/Calendario.h itself.
#include "widgets/Calendario.h"
