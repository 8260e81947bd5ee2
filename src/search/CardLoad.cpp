#include "app/Carvenna.h"
#include "registry/Tiratori.h"
#include "search/TrovaTiratori.h"
#include "storage/RegistryFile.h"

bool ShowCardInRegistry(Carvenna& app, qint64 position) {
    TfrmTiratori* editor = app.tiratori();
    if (!editor || position < 1)
        return false;
    // The card is read again at the position its list line was built from: two cards with equal
    // lines each load their own card, and a card changed since the search shows what is stored now.
    RegistryFile file;
    RegistryRecord card;
    if (!file.OpenOrCreate(app.ProgramFolder()) || !file.ReadRecord(position - 1, card))
        return false;
    file.Close();
    editor->ShowRecord(card);
    editor->ui.lblPosizione->setText(QString::number(position));
    editor->LoadCardPhoto();
    return true;
}
