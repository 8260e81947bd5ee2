#pragma once
// The guide's sections for the windows added to the three work areas. Each window's F1 (or its "Guida"
// button) opens its own section; the area guides and Guida.pdf show them after their own paragraphs.
#include <QList>
#include <QString>
#include <QStringList>

/// One section per added window or function. A new window adds its topic here and its section in
/// GuideSections(), then attaches the guide with one call (AttachGuide in app/Guida.h).
enum class GuideTopic {
    CopieSicurezza,
    RetteMese,
    DatiFiscali,
    FatturaElettronica,
    AnnullaRicevuta,
    Storico,
    Posta,
    EsportaCome,
    Attestazioni,
    ImportaSchede,
    EstrattoConto,
    Solleciti,
    RegistroFatture,
    MandatoSdd,
    AddebitiSdd,
    MovimentiBancari,
    CodiceFiscaleMinore,
    BonusNido,
};

struct GuideSection {
    GuideTopic topic;
    QString title;          ///< the window's name as the user sees it ("Rette del mese")
    QStringList paragraphs; ///< each a single line of text, no line breaks
};

/// Every section, in the order the general guide and Guida.pdf show them.
const QList<GuideSection>& GuideSections();

/// The section of `topic`.
const GuideSection& GuideSectionOf(GuideTopic topic);

/// The guide window's text of one section: its paragraphs joined by an empty line ("\r\n\r\n").
QString GuideSectionText(GuideTopic topic);

/// The sections of `topics` as paragraphs to follow an area's guide: each section's title is a
/// paragraph of its own ("— Rette del mese —"), then its paragraphs; joined by "\r\n\r\n".
QString GuideSectionsText(const QList<GuideTopic>& topics);

/// The title paragraph that opens a section in an area's guide.
QString GuideHeading(const QString& title);

/// The sections that follow each area's own guide text.
QList<GuideTopic> ReceiptAreaTopics();
QList<GuideTopic> RegistryAreaTopics();
QList<GuideTopic> SummaryAreaTopics();
QList<GuideTopic> AllTopics();
