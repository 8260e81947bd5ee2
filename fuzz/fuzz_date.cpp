// Date texts: only dd/mm/yyyy naming a real day is accepted, and it formats back to itself.
#include "FuzzCheck.h"
#include "storage/Dates.h"
#include <QDate>
#include <QString>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDate d = ParseDate(text);
    FUZZ_CHECK(IsValidDate(text) == d.isValid());
    bool shape = text.size() == 10 && text[2] == u'/' && text[5] == u'/';
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
        shape = shape && i < text.size() && text[i] >= u'0' && text[i] <= u'9';
    if (!shape) {
        FUZZ_CHECK(!d.isValid());
        return 0;
    }
    const int day = text.mid(0, 2).toInt(), month = text.mid(3, 2).toInt(), year = text.mid(6, 4).toInt();
    FUZZ_CHECK(d.isValid() == (year >= 1 && QDate::isValid(year, month, day)));
    if (d.isValid()) {
        FUZZ_CHECK(d == QDate(year, month, day));
        FUZZ_CHECK(FormatDate(d) == text);
    }
    return 0;
}
