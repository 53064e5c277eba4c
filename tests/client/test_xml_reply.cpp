// Reading of XML replies.
#include "GbkText.h"
#include "ScriptedServer.h"
#include "XmlReply.h"

#include <gtest/gtest.h>

TEST(XmlReply, ReadsGbkDeclaredReply) {
    XmlReply xml;
    ASSERT_TRUE(xml.load(
        GbkXml(QStringLiteral("<Anything Name=\"张三\" Login=\" 1 \"><UserName>  李四 </UserName>"
                              "<Note>评卷</Note><Note>second</Note></Anything>"))));
    EXPECT_EQ(xml.topLevelCount(), 2); // declaration + root
    EXPECT_EQ(xml.field(QStringLiteral("UserName")), QStringLiteral("李四"));
    bool found = false;
    EXPECT_EQ(xml.rawField(QStringLiteral("UserName"), &found), QStringLiteral("  李四 "));
    EXPECT_TRUE(found);
    EXPECT_EQ(xml.field(QStringLiteral("Note")), QStringLiteral("评卷")); // the first one
    QString value;
    ASSERT_TRUE(xml.attribute(QStringLiteral("Name"), &value));
    EXPECT_EQ(value, QStringLiteral("张三"));
    ASSERT_TRUE(xml.attribute(QStringLiteral("Login"), &value));
    EXPECT_EQ(value, QStringLiteral(" 1 "));
}

TEST(XmlReply, MissingElementOrAttribute) {
    XmlReply xml;
    ASSERT_TRUE(xml.load(GbkXml(QStringLiteral("<R Name=\"x\"><A>1</A></R>"))));
    bool found = true;
    EXPECT_EQ(xml.field(QStringLiteral("B")), QString());
    EXPECT_EQ(xml.rawField(QStringLiteral("B"), &found), QString());
    EXPECT_FALSE(found);
    QString value = QStringLiteral("unchanged");
    EXPECT_FALSE(xml.attribute(QStringLiteral("Descrip"), &value));
    EXPECT_EQ(value, QStringLiteral("unchanged"));
}

TEST(XmlReply, RecordsByPositionWhateverTheirNames) {
    XmlReply xml;
    ASSERT_TRUE(xml.load(
        GbkXml(QStringLiteral("<R><P><Id> 1 </Id><Name>一</Name></P><Other><Id>2</Id></Other>"
                              "<P><Name>三</Name></P></R>"))));
    ASSERT_EQ(xml.recordCount(), 3);
    EXPECT_EQ(xml.recordField(0, QStringLiteral("Id")), QStringLiteral("1"));
    EXPECT_EQ(xml.recordField(0, QStringLiteral("Name")), QStringLiteral("一"));
    EXPECT_EQ(xml.recordField(1, QStringLiteral("Id")), QStringLiteral("2"));
    EXPECT_EQ(xml.recordField(2, QStringLiteral("Id")), QString());
    EXPECT_EQ(xml.recordField(2, QStringLiteral("Name")), QStringLiteral("三"));
    EXPECT_EQ(xml.recordField(3, QStringLiteral("Name")), QString());
}

TEST(XmlReply, CrLfInsideAValueIsRemovedBeforeParsing) {
    XmlReply xml;
    ASSERT_TRUE(xml.load(GbkXml(QStringLiteral("\r\n<R>\r\n<T>a\r\nb\nc\r\n</T></R>\r\n"))));
    bool found = false;
    EXPECT_EQ(xml.rawField(QStringLiteral("T"), &found), QStringLiteral("ab\nc"));
}

TEST(XmlReply, ReplyWithoutDeclarationHasOneTopLevelNode) {
    XmlReply xml;
    ASSERT_TRUE(xml.load(gbk::encode(QStringLiteral("<R><A>1</A></R>"))));
    EXPECT_EQ(xml.topLevelCount(), 1);
    EXPECT_TRUE(xml.root().isNull());
    EXPECT_EQ(xml.field(QStringLiteral("A")), QString());
}

TEST(XmlReply, ReplyOfOnlyItsDeclarationHasOneTopLevelNode) {
    // Fewer than two nodes, not a reply that does not parse: the statistics
    // keep their table and ask on, GetInfoParam keeps its coordinates.
    XmlReply xml;
    for (const QByteArray& body :
         {GbkXml(QString()), GbkXml(QStringLiteral("\r\n <!-- nothing --> \r\n"))}) {
        SCOPED_TRACE(body.constData());
        ASSERT_TRUE(xml.load(body));
        EXPECT_EQ(xml.topLevelCount(), 1);
        EXPECT_TRUE(xml.root().isNull());
        EXPECT_EQ(xml.recordCount(), 0);
    }
    // Without its declaration nothing is left to read.
    EXPECT_FALSE(xml.load(QByteArray("<!-- nothing -->")));
}

TEST(XmlReply, EmptyOrMalformedBodyFails) {
    XmlReply xml;
    ASSERT_TRUE(xml.load(GbkXml(QStringLiteral("<R><A>kept</A></R>"))));
    // A blank body leaves the last document in place.
    EXPECT_FALSE(xml.load(QByteArray(" \r\n\t ")));
    EXPECT_FALSE(xml.load(QByteArray()));
    EXPECT_EQ(xml.field(QStringLiteral("A")), QStringLiteral("kept"));
    // A parse error leaves nothing to read.
    EXPECT_FALSE(xml.load(GbkXml(QStringLiteral("<R><A>1</A>"))));
    EXPECT_FALSE(xml.load(gbk::encode(QStringLiteral("成功"))));
    EXPECT_EQ(xml.field(QStringLiteral("A")), QString());
    EXPECT_EQ(xml.topLevelCount(), 0);
}

namespace {
// <e><e>...x...</e></e>, `depth` elements nested, under a declaration.
QByteArray Nested(int depth) {
    QByteArray body = "<?xml version=\"1.0\" encoding=\"GBK\"?>";
    body.reserve(body.size() + depth * 7 + 1);
    for (int i = 0; i < depth; ++i)
        body += "<e>";
    body += "x";
    for (int i = 0; i < depth; ++i)
        body += "</e>";
    return body;
}

QByteArray Siblings(int count) {
    QByteArray body = "<?xml version=\"1.0\" encoding=\"GBK\"?><R>";
    for (int i = 0; i < count; ++i)
        body += "<P><Id>1</Id></P>";
    return body + "</R>";
}
} // namespace

// Nesting beyond what any reply needs is refused before the document is
// built (100,000 levels kept the parser busy for minutes; the ctest time-out
// of this test is the guard), and so is a reply of more elements than any
// real one. A refusal leaves nothing to read, like a parse error.
TEST(XmlReply, RepliesBeyondTheDepthAndElementBoundsAreRefused) {
    const struct {
        const char* name;
        QByteArray body;
        bool accepted;
    } cases[] = {
        {"deepest accepted", Nested(kMaxReplyDepth), true},
        {"one level deeper", Nested(kMaxReplyDepth + 1), false},
        {"a hundred thousand levels", Nested(100'000), false},
        // Root + records of two elements each.
        {"most elements accepted", Siblings((kMaxReplyElements - 1) / 2), true},
        {"one record more", Siblings((kMaxReplyElements - 1) / 2 + 1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        XmlReply xml;
        ASSERT_TRUE(xml.load(GbkXml(QStringLiteral("<R><A>old</A></R>"))));
        EXPECT_EQ(xml.load(c.body), c.accepted);
        EXPECT_EQ(xml.topLevelCount(), c.accepted ? 2 : 0);
        EXPECT_EQ(xml.field(QStringLiteral("A")), QString());
    }
}
