#include "UntPublic.h"

#include "CoordinateLimits.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "Messages.h"
#include "PaperLimits.h"
#include "RequestAddress.h"
#include "XmlReply.h"

#include <QNetworkInterface>

#include <exception>

namespace {

// Request operations must never let an error out to their callers (they run
// inside event handlers); anything thrown below counts as a failed request.
template <class F> bool noThrow(F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return false;
    }
}

// An integer that places something on a picture (a region edge, a score
// position, the information box): read as any integer, then clamped to the
// bound the image layer keeps, so sizes computed from two of them never
// overflow and a score text lies exactly where its sub-question says.
bool ReadCoordinate(const QString& text, int* value) {
    if (!ReadInteger(text, value))
        return false;
    *value = imaging::ClampCoordinate(*value);
    return true;
}

// The bare-word reply of the server that means success.
bool isSuccessWord(const QByteArray& body) {
    return TrimCtl(gbk::decode(body)) == QStringLiteral("成功");
}

// Loads an XML reply into the shared document; false when the GET failed,
// the body is empty or malformed.
bool fetchXml(IHttpGet& http, XmlReply& xml, const RequestAddress& address) {
    const HttpResult result = http.get(address.encoded());
    if (!result.ok)
        return false;
    return xml.load(result.body);
}

} // namespace

TPublicFuctionObject::TPublicFuctionObject(IHttpGet& http, XmlReply& xml)
    : m_http(http), m_xml(xml) {}

void TPublicFuctionObject::EscapeSpaces(QString& address) {
    ::EscapeSpaces(address);
}

void TPublicFuctionObject::StripLineBreaks(QByteArray& body) {
    ::StripLineBreaks(body);
}

// ---------------------------------------------------------------- sign-in

bool TPublicFuctionObject::ValidateUser(const QString& userId, const QString& password) {
    const bool ok = noThrow([&] {
        const QString operMac = GetMacAddress(0);
        RequestAddress address(ServerUrl, QStringLiteral("ValidateUser"));
        address.add(QStringLiteral("UserId"), userId)
            .add(QStringLiteral("Password"), password)
            .add(QStringLiteral("OperMac"), operMac);
        if (!fetchXml(m_http, m_xml, address) || m_xml.topLevelCount() < 2)
            return false;

        // From here on the new user and password stay even if the reply is refused.
        UserId = userId;
        Password = password;

        QString value;
        if (!m_xml.attribute(QStringLiteral("Name"), &value))
            return false;
        UserName = TrimCtl(value);
        if (!m_xml.attribute(QStringLiteral("Descrip"), &value))
            return false;
        LastMessage = TrimCtl(value);
        if (!m_xml.attribute(QStringLiteral("Login"), &value))
            return false;
        if (TrimCtl(value) == QStringLiteral("F"))
            return false;

        const int count = m_xml.recordCount();
        Permissions.resize(count);
        for (int i = 0; i < count; ++i) {
            TMyPermissionRecord& record = Permissions[i];
            record.PermissionId = m_xml.recordField(i, QStringLiteral("PermissionId"));
            record.PermissionName = m_xml.recordField(i, QStringLiteral("PermissionName"));
            record.MarkConfig = m_xml.recordField(i, QStringLiteral("MarkConfig"));
        }
        if (Permissions.isEmpty()) {
            if (LastMessage.isEmpty())
                LastMessage = QStringLiteral("您没有批阅权限,请联系管理员");
            return false;
        }
        return true;
    });
    Validated = ok;
    return ok;
}

QString MacAddressDigits(const QString& hardwareAddress) {
    // Qt writes a hardware address as "AA:BB:CC:DD:EE:FF"; only a real
    // 6-byte address that is not all zero names an adapter.
    const QStringList parts = hardwareAddress.split(QLatin1Char(':'));
    if (parts.size() != 6)
        return QString();
    QString digits;
    bool allZero = true;
    for (const QString& part : parts) {
        bool isHex = false;
        const uint byte = part.toUInt(&isHex, 16);
        if (!isHex || part.size() != 2 || byte > 0xFF)
            return QString();
        allZero = allZero && byte == 0;
        digits += QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    }
    return allZero ? QString() : digits;
}

QString TPublicFuctionObject::GetMacAddress(int position) {
    if (position < 0)
        return QString();
    int seen = 0;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& adapter : interfaces) {
        if (adapter.flags().testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const QString digits = MacAddressDigits(adapter.hardwareAddress());
        if (digits.isEmpty())
            continue;
        if (seen == position)
            return digits;
        ++seen;
    }
    return QString();
}

int TPublicFuctionObject::FindPermission() const {
    for (int i = 0; i < Permissions.size(); ++i) {
        if (Permissions[i].PermissionId == PermissionId)
            return i;
    }
    return -1;
}

bool TPublicFuctionObject::ResetBufferByUser() {
    if (TrimCtl(UserId).isEmpty())
        return true;
    return noThrow([&] {
        RequestAddress address(ServerUrl, QStringLiteral("ResetBufferByUser"));
        address.add(QStringLiteral("UserId"), UserId);
        const HttpResult result = m_http.get(address.encoded());
        return result.ok && isSuccessWord(result.body);
    });
}

// ---------------------------------------------------------------- parameters

bool TPublicFuctionObject::GetParam(const QString& permissionId) {
    PermissionId = permissionId;
    ParamsPermissionId.clear();
    const bool ok = noThrow([&] {
        RequestAddress address(ServerUrl, QStringLiteral("GetParam"));
        address.add(QStringLiteral("UserId"), UserId)
            .add(QStringLiteral("PermissionId"), PermissionId);
        if (!fetchXml(m_http, m_xml, address) || m_xml.topLevelCount() < 2)
            return false;

        const QString commaOnly = QStringLiteral(",");
        const QString recordSeparators = QStringLiteral("(),");

        // A Basic or Paper list of the wrong length is ignored, not refused:
        // the fields keep what the previous permission left there.
        const QStringList basic = SplitList(m_xml.field(QStringLiteral("Basic")), commaOnly);
        if (basic.size() == 7) {
            if (!ReadNumber(basic[0], &LowestScore) || !ReadNumber(basic[1], &FullScore) ||
                !ReadNumber(basic[2], &ScoreStep) || !ReadInteger(basic[3], &BasicItem4) ||
                !ReadInteger(basic[4], &BasicItem5))
                return false;
            MarkingMode = basic[5];
            if (!ReadInteger(basic[6], &MarkingTurn))
                return false;
        }

        const QStringList cut = SplitList(m_xml.field(QStringLiteral("Cut")), recordSeparators);
        if (cut.size() / 7 > kMaxCutCount)
            return false;
        Cuts.resize(cut.size() / 7);
        for (int r = 0; r < Cuts.size(); ++r) {
            CutRegion& region = Cuts[r];
            int* const targets[] = {&region.CutNo, &region.Page, &region.X1,     &region.Y1,
                                    &region.X2,    &region.Y2,   &region.ImageNo};
            for (int k = 0; k < 7; ++k) {
                const bool edge = k >= 2 && k <= 5;
                if (!(edge ? ReadCoordinate : ReadInteger)(cut[7 * r + k], targets[k]))
                    return false;
            }
        }

        const QStringList sub =
            SplitList(m_xml.field(QStringLiteral("SubQuestion")), recordSeparators);
        if (sub.size() / 6 > kMaxSubQuestionCount)
            return false;
        SubQuestions.resize(sub.size() / 6);
        for (int r = 0; r < SubQuestions.size(); ++r) {
            TSubQuestion& item = SubQuestions[r];
            const int base = 6 * r;
            item.SubQuestionId = sub[base];
            item.SubQuestionName = sub[base + 1];
            if (!ReadNumber(sub[base + 2], &item.LowestMark) ||
                !ReadNumber(sub[base + 3], &item.HighestMark) ||
                !ReadCoordinate(sub[base + 4], &item.PosX) ||
                !ReadCoordinate(sub[base + 5], &item.PosY))
                return false;
        }

        const QStringList paper = SplitList(m_xml.field(QStringLiteral("Paper")), commaOnly);
        if (paper.size() == 9) {
            // The page count sizes the slot table and the page views: one
            // beyond the bounds is refused before any Paper field is stored.
            qint32 pageCount = 0;
            if (ReadInteger(paper[4], &pageCount) && !PageCountWithinLimits(pageCount))
                return false;
            ImageRoot = paper[0];
            if (!ReadInteger(paper[1], &StudentFolderStart) ||
                !ReadInteger(paper[2], &StudentFolderLength) ||
                !ReadInteger(paper[3], &SheetImageCount) || !ReadInteger(paper[4], &PageCount))
                return false;
            QuestionId = paper[5];
            CutMode = paper[6];
            ShowInfoBox = paper[7];
            PaperItem9 = paper[8];
        }

        // One slot per page view plus one spare; slot 0 keeps its content.
        if (!PageCountWithinLimits(PageCount))
            return false;
        PageSlots.resize(PageCount + 1);
        for (int i = 1; i <= PageCount; ++i)
            PageSlots[i] = PageSlot{0, false};

        MarkDesc = m_xml.field(QStringLiteral("MarkDesc"));
        return true;
    });
    if (ok)
        ParamsPermissionId = PermissionId;
    return ok;
}

void TPublicFuctionObject::SavePersonConfig(const QString& markConfig) {
    noThrow([&] {
        RequestAddress address(ServerUrl, QStringLiteral("SavePersonConfig"));
        address.add(QStringLiteral("UserId"), UserId)
            .add(QStringLiteral("PermissionId"), PermissionId)
            .add(QStringLiteral("MarkConfig"), markConfig);
        if (!m_http.get(address.encoded()).ok)
            return false;
        // The common-score menu reads the local copy, so it follows at once.
        const int i = FindPermission();
        if (i >= 0)
            Permissions[i].MarkConfig = markConfig;
        return true;
    });
}

void TPublicFuctionObject::ResetPageSlots() {
    for (PageSlot& slot : PageSlots)
        slot = PageSlot{-1, false};
}

int FindPageSlot(const QList<PageSlot>& table, int pageNumber) {
    for (int i = 0; i < table.size(); ++i) {
        if (table[i].PageNumber == pageNumber)
            return i;
    }
    for (int i = 0; i < table.size(); ++i) {
        if (!table[i].Loaded)
            return i;
    }
    return 0;
}

int TPublicFuctionObject::FindPageSlot(int pageNumber) const {
    return ::FindPageSlot(PageSlots, pageNumber);
}

// ---------------------------------------------------------------- paper requests

bool TPublicFuctionObject::GetQuestion() {
    return noThrow([&] {
        RequestAddress address(ServerUrl, QStringLiteral("GetQuestion"));
        address.add(QStringLiteral("UserId"), UserId)
            .add(QStringLiteral("PermissionId"), PermissionId)
            .add(QStringLiteral("FixUserId"), QString())
            .add(QStringLiteral("IsGetFixQuestion"), QString());
        if (!fetchXml(m_http, m_xml, address) || m_xml.topLevelCount() < 2)
            return false;
        readPaperFields();
        return true;
    });
}

void TPublicFuctionObject::readPaperFields() {
    // "none", "error" or an empty id are stored like any other: the paper
    // loading tells the user.
    StudentId = m_xml.field(QStringLiteral("StudentId"));
    AllTurnInfo =
        m_xml.field(QStringLiteral("AllTurnInfo")).replace(QLatin1Char('$'), QLatin1Char('&'));
}

bool TPublicFuctionObject::SaveSymbol(const QString& submarks, const QString& tag, double mark,
                                      const QString& isExceptional, const QString& description) {
    const bool ok = noThrow([&] {
        RequestAddress address(ServerUrl, QStringLiteral("SaveSymbol"));
        address.add(QStringLiteral("UserId"), UserId)
            .add(QStringLiteral("PermissionId"), PermissionId)
            .add(QStringLiteral("StudentId"), StudentId)
            .add(QStringLiteral("Mark"), FormatNumber(mark))
            .add(QStringLiteral("Submarks"), submarks)
            .add(QStringLiteral("Tag"), tag)
            .add(QStringLiteral("IsExceptional"), isExceptional)
            .add(QStringLiteral("Description"), description);
        // Whatever the body says, a success status means the paper was taken.
        return m_http.get(address.encoded()).ok;
    });
    if (!ok)
        Messages().showMessage(QStringLiteral("交卷出错"));
    return ok;
}

bool TPublicFuctionObject::CallBack(int serial) {
    return noThrow([&] {
        RequestAddress address(ServerUrl, QStringLiteral("CallBack"));
        address.add(QStringLiteral("UserId"), UserId)
            .add(QStringLiteral("PermissionId"), PermissionId)
            .add(QStringLiteral("CallbackSerial"), serial);
        if (!fetchXml(m_http, m_xml, address) || m_xml.topLevelCount() < 2)
            return false;
        readPaperFields();
        CallBackTag =
            m_xml.field(QStringLiteral("Tag")).replace(QLatin1Char('$'), QLatin1Char('&'));
        CallBackMark = m_xml.field(QStringLiteral("Mark"));
        return true;
    });
}

bool TPublicFuctionObject::GetInfoParam(int* coordinatesRead) {
    int read = 0;
    const bool ok = noThrow([&] {
        RequestAddress address(ServerUrl, QStringLiteral("GetInfoParam"));
        address.add(QStringLiteral("StudentId"), StudentId)
            .add(QStringLiteral("QuestionId"), QuestionId);
        if (!fetchXml(m_http, m_xml, address))
            return false;
        // A reply without a root element means "no box": the viewer keeps
        // the coordinates it has.
        if (m_xml.topLevelCount() < 2)
            return true;
        const QString names[] = {QStringLiteral("InfoStartX"), QStringLiteral("InfoStartY"),
                                 QStringLiteral("InfoEndX"), QStringLiteral("InfoEndY")};
        qint32* const targets[] = {&InfoStartX, &InfoStartY, &InfoEndX, &InfoEndY};
        for (int k = 0; k < 4; ++k) {
            bool found = false;
            const QString text = m_xml.rawField(names[k], &found);
            if (!found || !ReadCoordinate(text, targets[k]))
                return false;
            ++read;
        }
        return true;
    });
    if (coordinatesRead)
        *coordinatesRead = read;
    return ok;
}

bool TPublicFuctionObject::ChangePassword(const QString& newPassword) {
    return noThrow([&] {
        RequestAddress address(ServerUrl, QStringLiteral("ChangePassword"));
        address.add(QStringLiteral("UserId"), UserId)
            .add(QStringLiteral("OldPassword"), Password)
            .add(QStringLiteral("NewPassword"), newPassword);
        const HttpResult result = m_http.get(address.encoded());
        if (!result.ok || !isSuccessWord(result.body))
            return false;
        Password = newPassword;
        return true;
    });
}

// ---------------------------------------------------------------- image addresses

QString TPublicFuctionObject::permissionFolder() const {
    return PermissionId.left(2);
}

QString TPublicFuctionObject::studentFolder() const {
    const qsizetype start = qMax<qsizetype>(StudentFolderStart, 1) - 1;
    if (start >= StudentId.size() || StudentFolderLength <= 0)
        return QString();
    return StudentId.mid(start, StudentFolderLength);
}

QString TPublicFuctionObject::imageAddress(const QString& file) const {
    RequestAddress address(ServerUrl, QStringLiteral("GetImageFile"));
    address.add(QStringLiteral("File"), file);
    return QString::fromLatin1(address.encoded());
}

QString TPublicFuctionObject::PageImageAddress(int n) const {
    const QChar sep = QLatin1Char('\\');
    return imageAddress(ImageRoot + sep + permissionFolder() + sep + studentFolder() + sep +
                        StudentId + QLatin1Char('_') + QString::number(n) + QStringLiteral(".jpg"));
}

QString TPublicFuctionObject::CutImageAddress(int n) const {
    return PageImageAddress(n);
}

QString TPublicFuctionObject::SheetImageAddress(int n) const {
    if (CutMode != QStringLiteral("定制"))
        return PageImageAddress(n);
    const QChar sep = QLatin1Char('\\');
    return imageAddress(ImageRoot + sep + permissionFolder() + QStringLiteral("\\info\\") +
                        studentFolder() + sep + StudentId + QLatin1Char('_') + QString::number(n) +
                        QStringLiteral("F.jpg"));
}
