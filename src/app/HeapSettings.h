#pragma once
// How the program's heap gives memory back to the system.

/// Keeps up to 64 MiB of freed heap for reuse instead of handing it back to the system after every
/// large free, and serves blocks below 32 MiB from the heap rather than from fresh mappings. A year of
/// 100,000 receipts listed, closed and listed again then reuses the same pages: handing them back and
/// faulting them in anew cost more than building the list itself. Called once, at start.
void ConfigureHeap();
