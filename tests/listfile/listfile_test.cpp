#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "library/ListFile.h"
#include "support/FileSizeLimit.h"

namespace {

QStringList readFields(const QString& text) {
    ListFile::RecordReader r(text);
    QStringList out;
    for (int guard = 0; !r.AtEnd() && guard < 100; ++guard) out << r.Next();
    return out;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

TEST(ListFileRecord, QuotesTheTextAndEndsInCrLf) {
    EXPECT_EQ(ListFile::Record("C:/Music/*()*abc.mp3"), QByteArray("\"C:/Music/*()*abc.mp3\"\r\n"));
    EXPECT_EQ(ListFile::Record("C:/Music/*()*abc.mp3").size(), 24);
    // Nothing inside is escaped, and text is stored as UTF-8.
    EXPECT_EQ(ListFile::Record("/m/*()*x, y.wav"), QByteArray("\"/m/*()*x, y.wav\"\r\n"));
    EXPECT_EQ(ListFile::Record(QString::fromUtf8("/m/*()*Bj\xC3\xB6rk.mp3")),
              QByteArray("\"/m/*()*Bj\xC3\xB6rk.mp3\"\r\n"));
}

TEST(ListFileDecode, Utf8ElseWindows1252) {
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
        {"blank line of spaces", "\"a\"\r\n   \r\n\"b\"\r\n", {"a", "", "b"}},
        {"unquoted comma splits", "/a/*()*x, y.wav\r\n", {"/a/*()*x", "y.wav"}},
        {"unquoted trimmed of spaces only", "  a b \t \r\n", {"a b \t"}},
        {"lone LF line ends", "\"a\"\n\"b\"\n", {"a", "b"}},
        {"lone CR line ends", "\"a\"\r\"b\"\r", {"a", "b"}},
        {"no final line break", "\"a\"\r\n\"b\"", {"a", "b"}},
        {"text after closing quote dropped", "\"a\" junk,\"b\"\r\n", {"a", "b"}},
        {"unterminated quote runs to the end", "\"a\r\nb", {"a\r\nb"}},
        {"byte order mark", QString(QChar(0xFEFF)) + "\"a\"\r\n", {"a"}},
        {"record without separator", "\"plain\"\r\n\"/p/*()*n\"\r\n", {"plain", "/p/*()*n"}},
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

TEST(ListFileWrite, ReplacesWholeOrNotAtAll) {
    QTemporaryDir dir;
    const QString file = dir.filePath("list.vlx");
    QString error;
    ASSERT_TRUE(ListFile::WriteAtomically(file, "old\r\n", &error)) << error.toStdString();
    ASSERT_TRUE(ListFile::WriteAtomically(file, "new\r\n"));
    EXPECT_EQ(fileBytes(file), QByteArray("new\r\n"));

    // The disk fills up half-way through the write: the earlier file stays.
    const QByteArray big(64 * 1024, 'x');
    {
        FileSizeLimit limit(4096);
        EXPECT_FALSE(ListFile::WriteAtomically(file, big, &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(file), QByteArray("new\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.vlx"}) << "no temporary left";

    error.clear();
    EXPECT_FALSE(ListFile::WriteAtomically(dir.filePath("no/such/folder/x.vlx"), "a", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ListFileRead, WholeFileOrAReason) {
    QTemporaryDir dir;
    QByteArray bytes;
    QString error;
    EXPECT_FALSE(ListFile::ReadAll(dir.filePath("missing.vlx"), bytes, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(ListFile::WriteAtomically(dir.filePath("a.vlx"), "\"x\"\r\n"));
    ASSERT_TRUE(ListFile::ReadAll(dir.filePath("a.vlx"), bytes, &error));
    EXPECT_EQ(bytes, QByteArray("\"x\"\r\n"));
    // A folder cannot be read as a list.
    EXPECT_FALSE(ListFile::ReadAll(dir.path(), bytes, &error));
}
