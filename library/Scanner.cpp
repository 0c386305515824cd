#include "library/Scanner.h"

#include <QDir>
#include <QFileInfo>

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
    QStringList names =
        QDir(folderPath).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    names.removeIf([&folderPath](const QString& name) { return !QFileInfo(folderPath + name).isFile(); });
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

QString quoted(const QString& folderPath) {
    return Module1::SqlQuote(folderPath).toString();
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

// Columns filled from a tag; all are always set (Null without a tag), so one
// prepared insert serves every row of the folder.
void setTagFields(Recordset& rs, const QString& file, TagSources from) {
    ID3Tag::ID3v1Tag tag;
    NativeTag::Fields f;
    bool have = false;
    if (from.id3v1 && from.native) {
        have = Mp3Tags::Read(file, f, tag);
    } else if (from.id3v1) {
        have = ID3Tag::ReadID3Tag(file, tag);
        f = {tag.Title, tag.Artist, tag.Album, tag.Year, tag.Comment, ID3Tag::GenreName(tag.Genre)};
    } else {
        have = from.native && NativeTag::Read(file, f);
    }
    auto field = [have](const QString& text) { return have ? QVariant(text) : QVariant(); };
    rs.SetField(QStringLiteral("title"), field(f.title));
    rs.SetField(QStringLiteral("artist2"), field(f.artist));
    rs.SetField(QStringLiteral("album"), field(f.album));
    rs.SetField(QStringLiteral("year"), field(f.year));
    rs.SetField(QStringLiteral("comment"), field(f.comment));
    rs.SetField(QStringLiteral("genre"), field(f.genre));
}

// Thrown by the progress callback's "stop" to unwind to the rollback.
struct CancelScan {};

// Deletes and re-adds the folder's rows inside the caller's transaction. The
// recordset is the scan's own: the progress callback lets events through, and
// a handler that used a shared one meanwhile would make the scan fail (and a
// failed scan removes the folder's songs).
int rebuild(Recordset& rs, const QString& folderPath, const QStringList& names, bool readTags,
            const Progress& progress, const Choices& choices) {
    using Module1::cnLibrary;
    cnLibrary.Execute(QStringLiteral("Delete FROM songs where path='") + quoted(folderPath) +
                      QStringLiteral("'"));
    rs.Open(QStringLiteral("SELECT * FROM songs"), cnLibrary);
    const int n = names.size();
    int stored = 0;
    for (int i = 0; i < n; ++i) {
        const QString& name = names[i];
        if (IsAudioName(name, choices.moreAudioTypes)) {
            rs.AddNew();
            rs.SetField(QStringLiteral("artist"), name);
            rs.SetField(QStringLiteral("path"), folderPath);
            setTagFields(rs, folderPath + name, tagSources(name, readTags, choices));
            rs.Update();
            ++stored;
        }
        if (progress && !progress(i + 1, n)) throw CancelScan();
    }
    rs.Close();
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
        Recordset rs;
        try {
            cnLibrary.BeginTrans();
            inTransaction = true;
            const int stored = rebuild(rs, folderPath, names, readTags, progress, choices);
            cnLibrary.CommitTrans();
            if (rows) *rows = stored;
            return Outcome::Rebuilt;
        } catch (const CancelScan&) {
            rs.Close();
            cnLibrary.RollbackTrans();
            return Outcome::Cancelled;
        } catch (...) {
            rs.Close();
            if (inTransaction) cnLibrary.RollbackTrans();
        }
    }
    // The folder cannot be scanned (above all: it was deleted, moved or renamed):
    // it leaves the library, and the caller learns of it through FolderRemoved.
    try {
        cnLibrary.Execute(QStringLiteral("Delete from songs where path='") + quoted(folderPath) +
                          QStringLiteral("'"));
    } catch (...) {
    }
    FolderRemoved = 1;
    return Outcome::Removed;
}

}  // namespace Scanner
