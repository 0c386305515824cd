#include "library/Scanner.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

#include "library/Module1State.h"
#include "library/ID3Tag.h"
#include "library/Mp3Tags.h"
#include "library/NativeTag.h"

namespace Scanner {

QStringList ListFolder(const QString& folderPath, bool* ok) {
    const QFileInfo info(folderPath);
    *ok = info.isDir() && info.isReadable();
    if (!*ok) return {};
    // Without QDir::Hidden and QDir::System: no dot files, no sockets, devices or
    // broken links. A link to a pipe or a device still comes through; reading
    // one could wait forever, so only what leads to a regular file is kept.
    // The listing knows each entry's type, so only links cost a look at what they lead to.
    QStringList names;
    for (const QFileInfo& file :
         QDir(folderPath).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        if (file.isFile()) names << file.fileName();
    return names;
}

bool IsMoreAudioName(const QString& name) {
    static const QStringList types = {"flac", "ogg", "oga", "opus", "m4a", "aac"};
    const qsizetype dot = name.lastIndexOf('.');
    return dot >= 0 && types.contains(name.mid(dot + 1), Qt::CaseInsensitive);
}

bool IsAudioName(const QString& name, bool moreTypes) {
    if (moreTypes && IsMoreAudioName(name)) return true;
    if (name.size() < 3) return false;
    static const QStringList types = {"MP3", "WAV", "MID", "ASF", "RMI", "SND", "WMA"};
    return types.contains(name.right(3).toUpper());
}

namespace {

// Deletes the folder's rows.
void deleteRows(const QString& folderPath) {
    QSqlQuery& clear = Module1::cnLibrary.Prepared(QStringLiteral("DELETE FROM songs WHERE path = ?"));
    clear.bindValue(0, folderPath);
    Connection::Run(clear);
}

// Which tags a file may have read: its ID3v1 tag (MP3 only) and its native
// tag. An MP3 with both read takes the richer ID3v2 tag first.
struct TagSources {
    bool id3v1 = false;
    bool native = false;
};

TagSources tagSources(const QString& name, bool readTags, const Choices& choices) {
    if (!readTags) return {};
    const QString type = name.right(3).toUpper();
    const bool mp3 = type == QLatin1String("MP3");
    const bool native =
        mp3 || type == QLatin1String("WMA") || type == QLatin1String("ASF") || IsMoreAudioName(name);
    return {mp3, choices.allTagFormats && native};
}

// What a file's tags say, or false when it has none to read.
bool tagsOf(const QString& file, TagSources from, NativeTag::Fields& f) {
    ID3Tag::ID3v1Tag tag;
    if (from.id3v1 && from.native) return Mp3Tags::Read(file, f, tag);
    if (from.id3v1) {
        const bool have = ID3Tag::ReadID3Tag(file, tag);
        f = {tag.Title, tag.Artist, tag.Album, tag.Year, tag.Comment, ID3Tag::GenreName(tag.Genre)};
        return have;
    }
    return from.native && NativeTag::Read(file, f);
}

// Thrown by the progress callback's "stop" to unwind to the rollback.
struct CancelScan {};

// Deletes and re-adds the folder's rows inside the caller's transaction,
// through statements of the scan's own: the progress callback lets events
// through, and a handler that used a shared recordset meanwhile would make
// the scan fail (and a failed scan removes the folder's songs).
int rebuild(const QString& folderPath, const QStringList& names, bool readTags, const Progress& progress,
            const Choices& choices) {
    using Module1::cnLibrary;
    deleteRows(folderPath);
    const QString insert = QStringLiteral(
        "INSERT INTO songs (artist, path, title, artist2, album, year, comment, genre) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    const int n = names.size();
    int stored = 0;
    for (int i = 0; i < n; ++i) {
        const QString& name = names[i];
        if (IsAudioName(name, choices.moreAudioTypes)) {
            NativeTag::Fields f;
            const bool have = tagsOf(folderPath + name, tagSources(name, readTags, choices), f);
            // Asked for anew each time: the progress callback may have closed the library.
            QSqlQuery& add = cnLibrary.Prepared(insert);
            add.bindValue(0, name);
            add.bindValue(1, folderPath);
            int column = 2;
            for (const QString* text : {&f.title, &f.artist, &f.album, &f.year, &f.comment, &f.genre})
                add.bindValue(column++, have ? QVariant(*text) : QVariant());  // Null without a tag
            Connection::Run(add);
            ++stored;
        }
        if (progress && !progress(i + 1, n)) throw CancelScan();
    }
    return stored;
}

}  // namespace

Outcome ScanFolder(const QString& folderPath, bool readTags, const Progress& progress, Choices choices,
                   int* rows) {
    using namespace Module1;
    bool listed = false;
    const QStringList names = ListFolder(folderPath, &listed);
    if (listed && names.isEmpty()) return Outcome::Empty;
    if (listed) {
        bool inTransaction = false;
        try {
            cnLibrary.BeginTrans();
            inTransaction = true;
            const int stored = rebuild(folderPath, names, readTags, progress, choices);
            cnLibrary.CommitTrans();
            if (rows) *rows = stored;
            return Outcome::Rebuilt;
        } catch (const CancelScan&) {
            cnLibrary.RollbackTrans();
            return Outcome::Cancelled;
        } catch (...) {
            if (inTransaction) cnLibrary.RollbackTrans();
        }
    }
    // The folder cannot be scanned (above all: it was deleted, moved or renamed):
    // it leaves the library, and the caller learns of it through FolderRemoved.
    try {
        deleteRows(folderPath);
    } catch (...) {
    }
    FolderRemoved = 1;
    return Outcome::Removed;
}

}  // namespace Scanner
