#include <gtest/gtest.h>

#include <QStringList>

#include "library/ListFile.h"

// Line ends, byte order marks, quoting and damaged files are read through the
// program's entry points in hardening/bad_lists_test; these are the pieces' own rules.
TEST(ListFile, RecordsAndTheirEncoding) {
    EXPECT_EQ(ListFile::Record(QString::fromUtf8("/m/*()*Bj\xC3\xB6rk.mp3")),
              QByteArray("\"/m/*()*Bj\xC3\xB6rk.mp3\"\r\n"));
    // Each line is UTF-8 unless its bytes are not: then Windows-1252.
    EXPECT_EQ(
        ListFile::Decode(QByteArray("Caf\xC3\xA9\r\ncaf\xE9 \x80 \x93q\x94\nBj\xC3\xB6rk")),
        QString::fromUtf8("Caf\xC3\xA9\r\ncaf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D\nBj\xC3\xB6rk"));
    EXPECT_EQ(ListFile::Decode(QByteArray()), QString());
}

TEST(ListFile, SplitsAfterTheFolderSeparator) {
    const std::pair<QString, QStringList> cases[] = {
        {"/music/*()*a*()*b.mp3", {"/music/", "a*()*b.mp3"}},
        {"/odd*()*dir/*()*x.mp3", {"/odd*()*dir/", "x.mp3"}},
        {"C:\\odd*()*dir\\*()*x.mp3", {"C:\\odd*()*dir\\", "x.mp3"}},
        {"rel*()*x*()*y", {"rel", "x*()*y"}},  // no separator follows a slash: the first
        {"*()*", {"", ""}},
        {"/music/*(*abc.mp3", {}},  // no separator: refused
    };
    for (const auto& [field, parts] : cases) {
        QString path, name;
        EXPECT_EQ(ListFile::Split(field, path, name), !parts.isEmpty()) << field.toStdString();
        EXPECT_EQ(parts.isEmpty() ? parts : QStringList({path, name}), parts) << field.toStdString();
    }
}
