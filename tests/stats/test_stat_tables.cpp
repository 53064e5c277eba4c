// The statistics tables: what a field stores from a reply text and what its
// grid cell shows.

#include "AppError.h"
#include "GbkText.h"
#include "StatTables.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

struct CutCase {
    QString text;
    int maxBytes;
    QString expected;
};

TEST(StatTables, StringsAreCutAtTheirByteSizeNeverInsideACharacter) {
    const QString twelve = QStringLiteral("一二三四五六七八九十甲乙"); // 24 bytes
    const CutCase cases[] = {
        {twelve, 100, twelve},
        {twelve, 24, twelve},
        {twelve, 20, QStringLiteral("一二三四五六七八九十")},
        // An odd limit inside the eleventh character keeps ten of them.
        {twelve, 21, QStringLiteral("一二三四五六七八九十")},
        // One ASCII character first: the cut falls inside a character, which goes whole.
        {QStringLiteral("A") + twelve, 20, QStringLiteral("A一二三四五六七八九")},
        {QStringLiteral("t01-王老师"), 7, QStringLiteral("t01-王")},
        {QString(30, QLatin1Char('9')) + QStringLiteral("0"), 30, QString(30, QLatin1Char('9'))},
        {QStringLiteral("张"), 1, QString()},
    };
    for (const CutCase& c : cases) {
        const QString cut = CutToGbkBytes(c.text, c.maxBytes);
        EXPECT_EQ(cut, c.expected) << c.text.toStdString() << " / " << c.maxBytes;
        EXPECT_LE(gbk::byteCount(cut), c.maxBytes);
    }
}

struct StoreCase {
    TStatFieldType type;
    QString text;
    QString shown; // what the grid cell shows
    QString error; // "" = stored without error
};

TEST(StatTables, FieldsStoreReplyTextsByTypeAndGridsShowThem) {
    using T = TStatFieldType;
    const QString notInteger = QStringLiteral("'%1' is not a valid integer value");
    const QString notFloat = QStringLiteral("'%1' is not a valid floating point value");
    const StoreCase cases[] = {
        {T::Integer, "42", "42", ""},
        {T::Integer, "-7", "-7", ""},
        {T::Integer, "2147483647", "2147483647", ""},
        {T::Integer, "2147483648", "", notInteger.arg("2147483648")},
        {T::Integer, "7.5", "", notInteger.arg("7.5")},
        {T::Integer, "12a", "", notInteger.arg("12a")},
        {T::Double, "8", "8", ""},
        {T::Double, "7.50", "7.5", ""},
        {T::Double, "6.666666666666667", "6.66666666666667", ""},
        {T::Double, "20.0000000000000001", "20", ""},
        {T::Double, "1e2", "100", ""},
        {T::Double, "-0.25", "-0.25", ""},
        // The server writes "."; a comma is no decimal point, whatever the desktop's locale.
        {T::Double, "7,5", "", notFloat.arg("7,5")},
        {T::Double, "abc", "", notFloat.arg("abc")},
        {T::Double, "1e999", "", notFloat.arg("1e999")},
        {T::Double, "nan", "", notFloat.arg("nan")},
        // Empty texts store null in every kind of field.
        {T::Integer, "", "", ""},
        {T::Double, "", "", ""},
        {T::String, "", "", ""},
        {T::String, "3", "3", ""},
    };
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const StoreCase& c : cases) {
        const TStatField field{QStringLiteral("F"), c.type, 30, QStringLiteral("E")};
        QString error;
        QVariant stored;
        try {
            stored = StoreFieldText(field, c.text);
        } catch (const EAppError& e) {
            error = e.text();
        }
        EXPECT_EQ(error, c.error) << c.text.toStdString();
        EXPECT_EQ(StatCellText(stored), c.shown) << c.text.toStdString();
        if (c.text.isEmpty()) {
            EXPECT_TRUE(stored.isNull());
        }
    }
    QLocale::setDefault(previous);
}

TEST(StatTables, AHugeValueIsShownShortenedInItsError) {
    const TStatField field{QStringLiteral("F"), TStatFieldType::Integer, 0, QStringLiteral("E")};
    try {
        StoreFieldText(field, QString(100000, QLatin1Char('x')));
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_LT(e.text().size(), 200);
        EXPECT_TRUE(e.text().endsWith(QStringLiteral("' is not a valid integer value")));
    }
}

} // namespace
