#pragma once
// A card's payer and child copied into a receipt: the one rule for the payer import of the receipt
// editor and the receipts a month's fees issue.
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"

/// Copies from `card` into `receipt` the payer (Pagatore, CodFisc), the cause (Sport from the card's
/// Ente), the child (Praticante, LuogoNasc, DataNasc) and the payment method (Indirizzo from FinePor),
/// as stored. Number, date, amount, receiver lines and period stay as they were.
void CopyCardPayer(const RegistryRecord& card, ReceiptRecord& receipt);
