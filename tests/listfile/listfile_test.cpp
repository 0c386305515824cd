#include <gtest/gtest.h>

#include <QStringList>

#include "library/ListFile.h"

namespace {

QStringList readFields(const QString& text) {
    ListFile::RecordReader r(text);
    QStringList out;
    for (int guard = 0; !r.AtEnd() && guard < 100; ++guard) out << r.Next();
    return out;
}

}  // namespace

// Records are written as UTF-8; files from elsewhere may be in a Windows code page.
TEST(ListFileEncoding, WritesUtf8AndReadsUtf8ElseWindows1252) {
    EXPECT_EQ(ListFile::Record(QString::fromUtf8("/m/*()*Bj\xC3\xB6rk.mp3")),
              QByteArray("\"/m/*()*Bj\xC3\xB6rk.mp3\"\r\n"));
    EXPECT_EQ(ListFile::Decode(QByteArray("Bj\xC3\xB6rk")), QString::fromUtf8("Bj\xC3\xB6rk"));
    // Not valid UTF-8: é and € as a Windows code page writes them.
    EXPECT_EQ(ListFile::Decode(QByteArray("caf\xE9 \x80 \x93q\x94")),
              QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"));
    EXPECT_EQ(ListFile::Decode(QByteArray("\xEF\xBB\xBF\"a\"\r\n")), QString("\"a\"\r\n"));
    EXPECT_EQ(ListFile::Decode(QByteArray()), QString());
}

TEST(ListFileReader, FieldsOfWrittenAndHandMadeFiles) {
    struct Case {
        const char* name;
        QString text;
        QStringList fields;
    };
    const Case cases[] = {
        {"written records",
         "\"/a/*()*1.mp3\"\r\n\"/b/*()*x, y.wav\"\r\n",
         {"/a/*()*1.mp3", "/b/*()*x, y.wav"}},
        {"empty line between records", "\"/a/*()*1\"\r\n\r\n\"/b/*()*2\"\r\n", {"/a/*()*1", "", "/b/*()*2"}},
        {"unquoted comma splits", "/a/*()*x, y.wav\r\n", {"/a/*()*x", "y.wav"}},
        {"unquoted trimmed of spaces only", "  a b \t \r\n", {"a b \t"}},
        {"lone LF line ends", "\"a\"\n\"b\"\n", {"a", "b"}},
        {"lone CR line ends", "\"a\"\r\"b\"\r", {"a", "b"}},
        {"no final line break", "\"a\"\r\n\"b\"", {"a", "b"}},
        {"text after closing quote dropped", "\"a\" junk,\"b\"\r\n", {"a", "b"}},
        {"unterminated quote runs to the end", "\"a\r\nb", {"a\r\nb"}},
        {"byte order mark", QString(QChar(0xFEFF)) + "\"a\"\r\n", {"a"}},
    };
    for (const Case& c : cases) EXPECT_EQ(readFields(c.text), c.fields) << c.name;
}

TEST(ListFileSplit, AtTheFirstSeparator) {
    QString path, name;
    ASSERT_TRUE(ListFile::Split("/music/*()*a*()*b.mp3", path, name));
    EXPECT_EQ(path, "/music/");
    EXPECT_EQ(name, "a*()*b.mp3");
    ASSERT_TRUE(ListFile::Split("*()*", path, name));
    EXPECT_EQ(path, "");
    EXPECT_EQ(name, "");
    EXPECT_FALSE(ListFile::Split("/music/*(*abc.mp3", path, name));
}
