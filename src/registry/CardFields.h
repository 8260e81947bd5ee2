#pragma once
// The card's fields as the office knows them: each field's caption on the registry editor's form and
// the fields a card cannot be saved without, with what the warning asks for. One table for the
// editor's "Salva", its history window and the card import.
#include <QString>
#include <QVector>

/// The caption of card field `field` (a `RegistryField::Index`) as the editor's form shows it, without
/// the colon; the attachments are "Documento allegato 1" and "Descrizione allegato 1" to 3. Empty for a
/// number outside the card.
QString CardFieldCaption(int field);

/// A field a card cannot be saved without.
struct RequiredCardField {
    int field;       ///< a `RegistryField::Index`
    QString what;    ///< what is missing, as the import lists it: "codice fiscale del genitore"
    QString warning; ///< the editor's warning: "Attenzione: per salvare la scheda è necessario indicare il ..."
};
/// The required fields in the order the editor's "Salva" checks them.
const QVector<RequiredCardField>& RequiredCardFields();
