#include "receipts/CardPayer.h"

void CopyCardPayer(const RegistryRecord& card, ReceiptRecord& receipt) {
    receipt.Pagatore = card.Tiratore;
    receipt.CodFisc = card.CodFisc;
    receipt.Sport = card.Ente;
    receipt.Praticante = card.Armi;
    receipt.LuogoNasc = card.Porto;
    receipt.DataNasc = card.InizioPor;
    receipt.Indirizzo = card.FinePor;
}
