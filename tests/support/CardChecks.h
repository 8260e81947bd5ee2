#pragma once
// Helpers for the tests that work on registry cards: a registry of plain cards, photo files of a
// known colour, a double-click on a list line, and the check that the editor shows a given card.
#include "registry/Tiratori.h"
#include "storage/RegistryFile.h"
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QListView>
#include <QtTest>

/// Appends `count` cards named "Iscritto 1", "Iscritto 2", ... with a fee of 0,00 to the registry of
/// `programFolder`.
inline bool AppendPlainCards(const QString& programFolder, int count) {
    RegistryFile f;
    if (!f.OpenOrCreate(programFolder))
        return false;
    for (int i = 1; i <= count; ++i) {
        RegistryRecord r;
        r.Tiratore = QStringLiteral("Iscritto %1").arg(i);
        r.Quota = QStringLiteral("0,00");
        if (!f.AppendRecord(r))
            return false;
    }
    return f.Close();
}

/// Writes the photo file of card `number` as a JPEG of one colour.
inline bool WriteCardPhotoFile(const QString& programFolder, qint64 number, const QColor& colour) {
    const QString path = CardPhotoPath(programFolder, number);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QImage photo(60, 80, QImage::Format_RGB32);
    photo.fill(colour);
    return photo.save(path, "JPG");
}

/// Whether the middle of `image` has `colour`, within what JPEG compression changes.
inline bool HasColour(const QImage& image, const QColor& colour) {
    if (image.isNull())
        return false;
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    return qAbs(c.red() - colour.red()) < 24 && qAbs(c.green() - colour.green()) < 24 &&
           qAbs(c.blue() - colour.blue()) < 24;
}

inline void DoubleClickRow(QListView* list, int row) {
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

/// Verifies that `editor` shows `card` in every field and hidden label, `number` in lblPosizione, and
/// the photo of `photo`'s colour (an invalid colour: the placeholder picture, no photo).
inline void VerifyCardShown(TfrmTiratori* editor, const RegistryRecord& card, qint64 number, const QColor& photo) {
    QCOMPARE(editor->ui.lblPosizione->text(), QString::number(number));
    const RegistryRecord shown = editor->RecordFromScreen();
    const QVector<const QString*> got = shown.Fields(), want = card.Fields();
    for (int i = 0; i < want.size(); ++i)
        QVERIFY2(*got[i] == *want[i],
                 qPrintable(QStringLiteral("field %1: \"%2\" instead of \"%3\"").arg(i).arg(*got[i], *want[i])));
    if (photo.isValid()) {
        QVERIFY(editor->HasPhoto());
        QVERIFY(HasColour(editor->Photo(), photo));
    } else {
        QVERIFY(!editor->HasPhoto());
        QCOMPARE(editor->Photo(), TfrmTiratori::Placeholder());
    }
    // The photo was read from its file: saving the card unchanged must not write it again.
    QVERIFY(!editor->PhotoChanged());
}
