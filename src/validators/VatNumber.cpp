#include "validators/VatNumber.h"
#include <iterator>

namespace {

struct Office {
    const char* code;
    const char16_t* name;
};

// Provincial VAT offices by the code in digits 8 to 10 of the number. 001-102 run without a gap;
// 120 and 121 are later codes of the second offices of Bologna and Napoli.
// clang-format off
constexpr Office kOffices[] = {
    {"001", u"Torino"},          {"002", u"Vercelli"},           {"003", u"Novara"},
    {"004", u"Cuneo"},           {"005", u"Asti"},               {"006", u"Alessandria"},
    {"007", u"Aosta"},           {"008", u"Imperia"},            {"009", u"Savona"},
    {"010", u"Genova 1"},        {"011", u"La Spezia"},          {"012", u"Varese"},
    {"013", u"Como"},            {"014", u"Sondrio"},            {"015", u"Milano 1"},
    {"016", u"Bergamo"},         {"017", u"Brescia 1"},          {"018", u"Pavia"},
    {"019", u"Cremona"},         {"020", u"Mantova"},            {"021", u"Bolzano"},
    {"022", u"Trento"},          {"023", u"Verona"},             {"024", u"Vicenza"},
    {"025", u"Belluno"},         {"026", u"Treviso"},            {"027", u"Venezia"},
    {"028", u"Padova"},          {"029", u"Rovigo"},             {"030", u"Udine"},
    {"031", u"Gorizia"},         {"032", u"Trieste"},            {"033", u"Piacenza"},
    {"034", u"Parma"},           {"035", u"Reggio Emilia"},      {"036", u"Modena"},
    {"037", u"Bologna 1"},       {"038", u"Ferrara"},            {"039", u"Ravenna"},
    {"040", u"Forl\u00EC"},      {"041", u"Pesaro"},             {"042", u"Ancona"},
    {"043", u"Macerata"},        {"044", u"Ascoli Piceno"},      {"045", u"Massa Carrara"},
    {"046", u"Lucca"},           {"047", u"Pistoia"},            {"048", u"Firenze 1"},
    {"049", u"Livorno"},         {"050", u"Pisa"},               {"051", u"Arezzo"},
    {"052", u"Siena"},           {"053", u"Grosseto"},           {"054", u"Perugia"},
    {"055", u"Terni"},           {"056", u"Viterbo"},            {"057", u"Rieti"},
    {"058", u"Roma 1"},          {"059", u"Latina"},             {"060", u"Frosinone"},
    {"061", u"Caserta"},         {"062", u"Benevento"},          {"063", u"Napoli 1"},
    {"064", u"Avellino"},        {"065", u"Salerno"},            {"066", u"Aquila"},
    {"067", u"Teramo"},          {"068", u"Pescara"},            {"069", u"Chieti"},
    {"070", u"Campobasso"},      {"071", u"Foggia"},             {"072", u"Bari"},
    {"073", u"Taranto"},         {"074", u"Brindisi"},           {"075", u"Lecce"},
    {"076", u"Potenza"},         {"077", u"Matera"},             {"078", u"Cosenza"},
    {"079", u"Catanzaro"},       {"080", u"Reggio Calabria"},    {"081", u"Trapani"},
    {"082", u"Palermo"},         {"083", u"Messina"},            {"084", u"Agrigento"},
    {"085", u"Caltanissetta"},   {"086", u"Enna"},               {"087", u"Catania"},
    {"088", u"Ragusa"},          {"089", u"Siracusa"},           {"090", u"Sassari"},
    {"091", u"Nuoro"},           {"092", u"Cagliari"},           {"093", u"Pordenone"},
    {"094", u"Isernia"},         {"095", u"Oristano"},           {"096", u"Monza (Milano 2)"},
    {"097", u"Prato (Firenze 2)"}, {"098", u"Brescia 2"},        {"099", u"Chiavari (Genova 2)"},
    {"100", u"Roma 2"},          {"101", u"Bologna 2"},          {"102", u"Napoli 2"},
    {"120", u"Bologna 2"},       {"121", u"Napoli 2"},
};
// clang-format on
static_assert(std::size(kOffices) == 104, "one row per VAT office code");

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

int VatCheckDigit(const QString& number) {
    if (number.size() < 10)
        return -1;
    int total = 0;
    for (int pos = 1; pos <= 10; ++pos) {
        const QChar c = number.at(pos - 1);
        if (!IsDigit(c))
            return -1;
        const int d = c.unicode() - u'0';
        if (pos % 2 == 1) {
            total += d;
        } else {
            const int twice = 2 * d; // at most 18: its digit sum is the tens plus the units
            total += twice / 10 + twice % 10;
        }
    }
    const int r = total % 10;
    return r == 0 ? 0 : 10 - r;
}

bool IsValidVatNumber(const QString& number) {
    if (number.size() != 11 || !IsDigit(number.at(10)))
        return false;
    const int expected = VatCheckDigit(number);
    return expected >= 0 && expected == number.at(10).unicode() - u'0';
}

QString VatOfficeName(const QString& code) {
    for (const Office& o : kOffices) {
        if (code == QLatin1String(o.code))
            return QString::fromUtf16(o.name);
    }
    return QString();
}
