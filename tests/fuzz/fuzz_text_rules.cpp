// The text rules every reply and file goes through: the list-splitting rule
// with the separator sets the program uses, trimming, the number format and
// number reading (a written number reads back as itself), integers, and the
// request address (only ASCII on the wire, every value coming back whole).
#include "FuzzSupport.h"
#include "GbkText.h"
#include "RequestAddress.h"

#include <cmath>

namespace {

const char* const kSeparatorSets[] = {",", "(),", "!", ";", "|", "&", "$"};

void CheckSplit(const QString& text, const QString& separators) {
    const QStringList items = SplitList(text, separators);
    qsizetype total = 0;
    for (const QString& item : items) {
        FUZZ_CHECK(!item.isEmpty());
        FUZZ_CHECK(item.front() != QLatin1Char('\r') && item.front() != QLatin1Char('\n'));
        total += item.size();
    }
    FUZZ_CHECK(total <= text.size());
}

void CheckNumber(const QString& text) {
    double value = 0;
    if (ReadNumber(text, &value)) {
        FUZZ_CHECK(std::isfinite(value));
        static_cast<void>(FormatNumber(value));
    }
    int integer = 0;
    if (ReadInteger(text, &integer)) {
        int again = 0;
        FUZZ_CHECK(ReadInteger(QString::number(integer), &again) && again == integer);
    }
}

// The general number format keeps 15 significant digits and reads back.
void CheckFormat(double value) {
    const QString text = FormatNumber(value);
    for (QChar c : text)
        FUZZ_CHECK(c.unicode() < 128 && c != QLatin1Char(','));
    if (!std::isfinite(value) || std::fabs(value) > 1e300 || (value != 0 && !std::isnormal(value)))
        return;
    double back = 0;
    FUZZ_CHECK(ReadNumber(text, &back));
    FUZZ_CHECK(std::fabs(back - value) <= std::fabs(value) * 1e-14);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareFuzzing();
    FuzzInput in(data, size);
    const double value = in.number();
    const int set = in.below(int(std::size(kSeparatorSets)) + 1);
    const QByteArray own = in.bytes(3);
    const QByteArray bytes = in.rest();

    CheckFormat(value);
    for (const QString& text : {gbk::decode(bytes), QString::fromUtf8(bytes)}) {
        const QString separators = set < int(std::size(kSeparatorSets))
                                       ? QString::fromLatin1(kSeparatorSets[set])
                                       : gbk::decode(own);
        CheckSplit(text, separators);
        CheckNumber(text);
        const QString trimmed = TrimCtl(text);
        FUZZ_CHECK(trimmed.isEmpty() ||
                   (trimmed.front().unicode() > 32 && trimmed.back().unicode() > 32));
        QString stripped = text;
        StripLineBreaks(stripped);
        FUZZ_CHECK(stripped.size() <= text.size());

        // Whatever the value, the address is plain ASCII without spaces and
        // the server decodes exactly the GBK bytes of the value.
        RequestAddress address(QStringLiteral("http://127.0.0.1:18080"), QStringLiteral("Cmd"));
        address.add(QStringLiteral("V"), text);
        const QByteArray wire = address.encoded();
        for (char c : wire)
            FUZZ_CHECK(static_cast<unsigned char>(c) > 32 && static_cast<unsigned char>(c) < 127);
        const qsizetype at = wire.indexOf("?V=");
        FUZZ_CHECK(at >= 0);
        FUZZ_CHECK(QByteArray::fromPercentEncoding(wire.mid(at + 3)) == gbk::encode(text));
    }
    return 0;
}
