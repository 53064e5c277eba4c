// The shared text rules: GBK bytes, trimming, address and reply cleaning,
// number format and reading, list splitting, query value encoding.
#include "GbkText.h"
#include "RequestAddress.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>

TEST(GbkText, EncodesChineseAsTwoBytesEach) {
    EXPECT_EQ(gbk::encode(QStringLiteral("成功")), QByteArray("\xB3\xC9\xB9\xA6"));
    EXPECT_EQ(gbk::decode(QByteArray("\xB3\xC9\xB9\xA6")), QStringLiteral("成功"));
}

TEST(GbkText, CharacterOutsideGbkBecomesOneQuestionMark) {
    // U+1F600 (an emoji) has no GBK form.
    const QString text =
        QStringLiteral("a") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("成");
    EXPECT_EQ(gbk::encode(text), QByteArray("a?\xB3\xC9"));
}

TEST(GbkText, ByteCount) {
    const struct {
        QString text;
        int bytes;
    } cases[] = {
        {QString(), 0},
        {QStringLiteral("abc 12"), 6},
        {QStringLiteral("评卷"), 4},
        {QStringLiteral("第1题:好"), 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gbk::byteCount(c.text), c.bytes) << c.text.toStdString();
}

TEST(GbkText, TrimCtlRemovesCodesUpTo32AtBothEnds) {
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {QStringLiteral(" \t\r\n成功\r\n "), QStringLiteral("成功")},
        {QStringLiteral("\x01"
                        "a b\x1F"),
         QStringLiteral("a b")},
        {QStringLiteral("  "), QString()},
        {QStringLiteral("\u3000x\u3000"),
         QStringLiteral("\u3000x\u3000")}, // ideographic space is above 32
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimCtl(c.in), c.out) << c.in.toStdString();
        EXPECT_EQ(TrimCtl(gbk::encode(c.in)), gbk::encode(c.out)) << c.in.toStdString();
    }
}

TEST(GbkText, EscapeSpacesReplacesEverySpace) {
    QString address = QStringLiteral("http://my host/Cmd?A=a b  c");
    EscapeSpaces(address);
    EXPECT_EQ(address, QStringLiteral("http://my%20host/Cmd?A=a%20b%20%20c"));
}

TEST(GbkText, StripLineBreaksRemovesOnlyCrLfPairs) {
    const struct {
        QByteArray in;
        QByteArray out;
    } cases[] = {
        {"a\r\nb\r\n", "ab"},
        {"a\rb\nc", "a\rb\nc"},
        {"a\n\r\nb", "a\nb"},
        {"\r\r\n\n", "\r\n"},
    };
    for (const auto& c : cases) {
        QByteArray bytes = c.in;
        StripLineBreaks(bytes);
        EXPECT_EQ(bytes, c.out);
        QString text = QString::fromLatin1(c.in);
        StripLineBreaks(text);
        EXPECT_EQ(text, QString::fromLatin1(c.out));
    }
}

namespace {

const struct {
    double value;
    const char* text;
} kNumberTexts[] = {
    {5, "5"},
    {2.5, "2.5"},
    {0, "0"},
    {-0.0, "0"},
    {0.25, "0.25"},
    {-3.5, "-3.5"},
    {-12, "-12"},
    {12, "12"},
    {1.0 / 3, "0.333333333333333"},
    {20.0 / 3, "6.66666666666667"},
    {0.1 + 0.2, "0.3"},
    {100, "100"},
    {0.00001, "0.00001"},
    {1e-6, "1E-6"},
    {-1.5e-7, "-1.5E-7"},
    {999999999999999, "999999999999999"},
    {1e15, "1E15"},
    {1e20, "1E20"},
    {123456.789, "123456.789"},
};

// A locale whose decimal point is a comma, made for the test with localedef
// (part of the C library's tools, so present on every Debian system) from a
// source of our own: no installed locale is needed. While it lives, the
// process's numbers follow it, as under de_DE or fr_FR.
class CommaLocale {
public:
    CommaLocale() {
        if (!m_dir.isValid())
            return;
        QByteArray charmap = "<code_set_name> COMMA-TEST\n<comment_char> %\n<escape_char> /\n"
                             "CHARMAP\n";
        for (int c = 0; c < 128; ++c)
            charmap += "<U" + QByteArray::number(c, 16).rightJustified(4, '0').toUpper() + "> /x" +
                       QByteArray::number(c, 16).rightJustified(2, '0') + "\n";
        charmap += "END CHARMAP\n";
        const QByteArray source = "comment_char %\nescape_char /\nLC_NUMERIC\n"
                                  "decimal_point \"<U002C>\"\nthousands_sep \"<U002E>\"\n"
                                  "grouping 3;3\nEND LC_NUMERIC\n";
        if (!write(QStringLiteral("charmap"), charmap) || !write(QStringLiteral("source"), source))
            return;
        // Missing categories only give warnings (exit status 1).
        QProcess::execute(QStringLiteral("localedef"),
                          {QStringLiteral("-c"), QStringLiteral("-i"), m_dir.filePath("source"),
                           QStringLiteral("-f"), m_dir.filePath("charmap"),
                           m_dir.filePath("xx_XX")});
        m_oldLocPath = qgetenv("LOCPATH");
        qputenv("LOCPATH", QFile::encodeName(m_dir.path()));
        m_old = setlocale(LC_ALL, nullptr);
        m_active = setlocale(LC_ALL, "xx_XX") != nullptr;
    }
    ~CommaLocale() {
        setlocale(LC_ALL, m_old.constData());
        if (m_oldLocPath.isNull())
            qunsetenv("LOCPATH");
        else
            qputenv("LOCPATH", m_oldLocPath);
    }
    bool active() const { return m_active; }

private:
    bool write(const QString& name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    QTemporaryDir m_dir;
    QByteArray m_old;
    QByteArray m_oldLocPath;
    bool m_active = false;
};

} // namespace

TEST(GbkText, FormatNumber) {
    for (const auto& c : kNumberTexts)
        EXPECT_EQ(FormatNumber(c.value), QString::fromLatin1(c.text)) << c.text;
}

// Under a locale with a decimal comma, numbers are still written with "."
// and read back (snprintf had turned 12 into "1,.2" and 2.5 into "2.,5").
TEST(GbkText, NumbersReadAndWriteTheSameUnderACommaLocale) {
    const CommaLocale comma;
    ASSERT_TRUE(comma.active());
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 2.5);
    ASSERT_STREQ(probe, "2,5"); // the locale is really in force

    for (const auto& c : kNumberTexts) {
        const QString text = FormatNumber(c.value);
        EXPECT_EQ(text, QString::fromLatin1(c.text)) << c.text;
        double back = -99;
        EXPECT_TRUE(ReadNumber(text, &back)) << c.text;
        EXPECT_DOUBLE_EQ(back, QString::fromLatin1(c.text).toDouble()) << c.text;
    }
    EXPECT_FALSE(ReadNumber(QStringLiteral("2,5")));
}

TEST(GbkText, ReadNumber) {
    const struct {
        const char* text;
        bool reads;
        double value;
    } cases[] = {
        {"5", true, 5},      {"2.5", true, 2.5},  {" 5", true, 5},         {"+3", true, 3},
        {"-1", true, -1},    {"1e3", true, 1000}, {"1.5E-2", true, 0.015}, {".5", true, 0.5},
        {"5.", true, 5},     {"5 ", false, 0},    {"?", false, 0},         {"X", false, 0},
        {"1.2.3", false, 0}, {".", false, 0},     {"", false, 0},          {"-", false, 0},
        {"1e", false, 0},    {"2,5", false, 0},   {"1e999", false, 0},
    };
    for (const auto& c : cases) {
        double value = -99;
        EXPECT_EQ(ReadNumber(QString::fromLatin1(c.text), &value), c.reads) << c.text;
        if (c.reads) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }
    EXPECT_FALSE(ReadNumber(QStringLiteral("５"))); // full-width digit
}

TEST(GbkText, ReadInteger) {
    const struct {
        const char* text;
        bool reads;
        int value;
    } cases[] = {
        {"0", true, 0},
        {"42", true, 42},
        {"-7", true, -7},
        {"+7", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"", false, 0},
        {"1.0", false, 0},
        {" 1", true, 1},
        {"  -3", true, -3},
        {"1 ", false, 0},
        {" ", false, 0},
        {"- 1", false, 0},
        {"1a", false, 0},
        {"-", false, 0},
    };
    for (const auto& c : cases) {
        int value = -99;
        EXPECT_EQ(ReadInteger(QString::fromLatin1(c.text), &value), c.reads) << c.text;
        if (c.reads) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(GbkText, SplitList) {
    const struct {
        QString text;
        QString separators;
        QStringList items;
    } cases[] = {
        {QStringLiteral("a,b,c"), QStringLiteral(","), {"a", "b", "c"}},
        {QStringLiteral(",a,,b,"), QStringLiteral(","), {"a", "b"}},
        {QStringLiteral(" a , b"), QStringLiteral(","), {" a ", " b"}},
        {QStringLiteral("a\r\nb\nc"), QStringLiteral(","), {"a", "b", "c"}},
        {QStringLiteral("a,\r\n\r\nb"), QStringLiteral(","), {"a", "b"}},
        {QStringLiteral("(1,2)(3,4)"), QStringLiteral("(),"), {"1", "2", "3", "4"}},
        {QStringLiteral("'a,b',c"), QStringLiteral(","), {"'a,b'", "c"}},
        {QStringLiteral("\"x(y)\"(z)"), QStringLiteral("(),"), {"\"x(y)\"", "z"}},
        {QStringLiteral("'a\"b',c"), QStringLiteral(","), {"'a\"b'", "c"}},
        {QStringLiteral("x'open,rest"), QStringLiteral(","), {"x'open,rest"}},
        {QStringLiteral(",,,"), QStringLiteral(","), {}},
        {QString(), QStringLiteral(","), {}},
        {QStringLiteral("评卷,第一题,成功"), QStringLiteral(","), {"评卷", "第一题", "成功"}},
        // U+7698 is GBK xx 7C ("|") and U+7669 is xx 5D ("]"): a split on
        // bytes would cut them; on characters they stay whole.
        {QStringLiteral("\u7698|\u7669\u7698|"), QStringLiteral("|"), {"\u7698", "\u7669\u7698"}},
        {QStringLiteral("[\u7669]\u7669"), QStringLiteral("[]"), {"\u7669", "\u7669"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitList(c.text, c.separators), c.items) << c.text.toStdString();
}

TEST(RequestAddress, ValuesArePercentEncodedGbkBytes) {
    const struct {
        QString value;
        QByteArray encoded;
    } cases[] = {
        {QStringLiteral("AZaz09-._~"), "AZaz09-._~"},
        {QStringLiteral("a b"), "a%20b"},
        {QStringLiteral("&=#+%?/"), "%26%3D%23%2B%25%3F%2F"},
        {QStringLiteral("成功"), "%B3%C9%B9%A6"},
        {QString(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RequestAddress(QStringLiteral("http://h"), QStringLiteral("C"))
                      .add(QStringLiteral("V"), c.value)
                      .encoded(),
                  "http://h/C?V=" + c.encoded)
            << c.value.toStdString();
}
