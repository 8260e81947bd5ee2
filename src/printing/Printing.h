#pragma once
// The printing service lives beside the other platform seams; this name stays for the month's fees window
// until it includes app/Printing.h itself.
#include "app/Printing.h"
