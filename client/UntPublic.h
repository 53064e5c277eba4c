#pragma once
// The client-state object: everything the server said and the user chose,
// and every request of the marking system.

#include <QByteArray>
#include <QList>
#include <QString>

class IHttpGet;
class XmlReply;

struct TMyPermissionRecord {
    QString PermissionId;
    QString PermissionName;
    QString MarkConfig;
};

struct PageSlot {
    int PageNumber = 0;
    bool Loaded = false;
};

// The slot for a page: the first that holds that page number, else the
// first not yet loaded, else 0. The marking window's and the review
// window's slot tables follow the same rule.
int FindPageSlot(const QList<PageSlot>& table, int pageNumber);

struct CutRegion {
    int CutNo = 0;
    int Page = 0;
    int X1 = 0;
    int Y1 = 0;
    int X2 = 0;
    int Y2 = 0;
    int ImageNo = 0;
};

struct TSubQuestion {
    QString SubQuestionId;
    QString SubQuestionName;
    double LowestMark = 0;
    double HighestMark = 0;
    int PosX = 0;
    int PosY = 0;
};

// The 12 upper-case hexadecimal digits of an adapter's hardware address as
// Qt writes it ("aa:bb:cc:dd:ee:ff"); empty for anything that is not a real
// 6-byte address.
QString MacAddressDigits(const QString& hardwareAddress);

class TPublicFuctionObject {
public:
    // The shared HTTP client and XML document live as long as this object.
    TPublicFuctionObject(IHttpGet& http, XmlReply& xml);

    IHttpGet& http() const { return m_http; }
    XmlReply& xml() const { return m_xml; }

    // Sign-in and the user's permissions.
    bool ValidateUser(const QString& userId, const QString& password);
    // Hardware address of the first non-loopback adapter as 12 upper-case hex
    // digits, or "" when there is none. `position` counts such adapters.
    QString GetMacAddress(int position);
    int FindPermission() const;
    bool ResetBufferByUser();

    static void EscapeSpaces(QString& address);
    static void StripLineBreaks(QByteArray& body);

    // Marking parameters.
    bool GetParam(const QString& permissionId);
    void SavePersonConfig(const QString& markConfig);
    void ResetPageSlots();
    int FindPageSlot(int pageNumber) const;

    // Paper requests.
    bool GetQuestion();
    bool SaveSymbol(const QString& submarks, const QString& tag, double mark,
                    const QString& isExceptional, const QString& description);
    bool CallBack(int serial);
    // `coordinatesRead`, when given, receives how many of the four box
    // coordinates this call stored (0 when the reply had no root element),
    // so a caller can tell this paper's box from one left by an earlier paper.
    bool GetInfoParam(int* coordinatesRead = nullptr);
    bool ChangePassword(const QString& newPassword);

    // Image addresses, encoded and ready for a GET (the File value is
    // percent-encoded GBK, so the server receives the path bytes unchanged).
    QString SheetImageAddress(int n) const;
    QString PageImageAddress(int n) const;
    QString CutImageAddress(int n) const;

    // Fields, in declaration order.
    QList<TMyPermissionRecord> Permissions;
    QList<PageSlot> PageSlots;
    QList<CutRegion> Cuts;
    QList<TSubQuestion> SubQuestions;
    bool Validated = false;
    QString ServerUrl;
    QString UserId;
    QString Password;
    QString UserName;
    QString PermissionId;
    QString StudentId;
    QString QuestionId;
    QString AllTurnInfo;
    QString CallBackTag;
    QString CallBackMark;
    double LowestScore = 0;
    double FullScore = 0;
    double ScoreStep = 0;
    qint32 BasicItem4 = 0;
    qint32 BasicItem5 = 0;
    bool AutoLoadPaper = false;
    bool GroupBarLeft = true;
    QString LastMessage;
    QString MarkingMode;
    qint32 MarkingTurn = 0;
    QString ImageRoot;
    qint32 StudentFolderStart = 0;
    qint32 StudentFolderLength = 0;
    qint32 SheetImageCount = 0;
    qint32 PageCount = 0;
    qint32 InfoStartX = 0;
    qint32 InfoStartY = 0;
    qint32 InfoEndX = 0;
    qint32 InfoEndY = 0;
    QString CutMode;
    QString ZoomSetting;
    QString MarkDesc;
    QString SymbolText;
    QString ShowInfoBox;
    QString PaperItem9;

    // The permission whose parameters the last GetParam fetched whole; empty
    // after a failed one. Papers are fetched only while it is PermissionId.
    QString ParamsPermissionId;

private:
    // StudentId and AllTurnInfo ("$" made "&") of a GetQuestion or CallBack reply.
    void readPaperFields();
    QString permissionFolder() const;
    QString studentFolder() const;
    QString imageAddress(const QString& file) const;

    IHttpGet& m_http;
    XmlReply& m_xml;
};
