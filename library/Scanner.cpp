#include "library/Scanner.h"

#include <QDir>
#include <QFileInfo>

#include "library/Module1State.h"
#include "library/ID3Tag.h"

namespace Scanner {

QStringList ListFolder(const QString& folderPath, bool* ok) {
    const QFileInfo info(folderPath);
    *ok = info.isDir() && info.isReadable();
    if (!*ok) return {};
    // Without QDir::Hidden and QDir::System: no dot files, no sockets, devices or
    // broken links.
    return QDir(folderPath).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

bool IsAudioName(const QString& name) {
    if (name.size() < 3) return false;
    static const QStringList types = {"MP3", "WAV", "MID", "ASF", "RMI", "SND", "WMA"};
    return types.contains(name.right(3).toUpper());
}

namespace {

QString quoted(const QString& folderPath) {
    return Module1::SqlQuote(folderPath).toString();
}

// Columns filled from a tag; all are always set (Null without a tag), so one
// prepared insert serves every row of the folder.
void setTagFields(const QString& file, bool read) {
    ID3Tag::ID3v1Tag tag;
    const bool have = read && ID3Tag::ReadID3Tag(file, tag);
    auto field = [have](const QString& text) { return have ? QVariant(text) : QVariant(); };
    Module1::rsLibrary.SetField(QStringLiteral("title"), field(tag.Title));
    Module1::rsLibrary.SetField(QStringLiteral("artist2"), field(tag.Artist));
    Module1::rsLibrary.SetField(QStringLiteral("album"), field(tag.Album));
    Module1::rsLibrary.SetField(QStringLiteral("year"), field(tag.Year));
    Module1::rsLibrary.SetField(QStringLiteral("comment"), field(tag.Comment));
    Module1::rsLibrary.SetField(QStringLiteral("genre"),
                                have ? QVariant(ID3Tag::GenreName(tag.Genre)) : QVariant());
}

// Thrown by the progress callback's "stop" to unwind to the rollback.
struct CancelScan {};

// Deletes and re-adds the folder's rows inside the caller's transaction.
void rebuild(const QString& folderPath, const QStringList& names, bool readTags, const Progress& progress) {
    using namespace Module1;
    StrSQL = QStringLiteral("Delete FROM songs where path='") + quoted(folderPath) + QStringLiteral("'");
    cnLibrary.Execute(StrSQL);
    StrSQL = QStringLiteral("SELECT * FROM songs");
    rsLibrary.Open(StrSQL, cnLibrary);
    const int n = names.size();
    for (int i = 0; i < n; ++i) {
        const QString& name = names[i];
        if (IsAudioName(name)) {
            rsLibrary.AddNew();
            rsLibrary.SetField(QStringLiteral("artist"), name);
            rsLibrary.SetField(QStringLiteral("path"), folderPath);
            const bool mp3 = name.right(3).compare(QLatin1String("MP3"), Qt::CaseInsensitive) == 0;
            setTagFields(folderPath + name, readTags && mp3);
            rsLibrary.Update();
        }
        if (progress && !progress(i + 1, n)) throw CancelScan();
    }
    rsLibrary.Close();
}

}  // namespace

Outcome ScanFolder(const QString& folderPath, bool readTags, const Progress& progress) {
    using namespace Module1;
    bool listed = false;
    const QStringList names = ListFolder(folderPath, &listed);
    if (listed && names.isEmpty()) return Outcome::Empty;
    if (listed) {
        bool inTransaction = false;
        try {
            cnLibrary.BeginTrans();
            inTransaction = true;
            rebuild(folderPath, names, readTags, progress);
            cnLibrary.CommitTrans();
            return Outcome::Rebuilt;
        } catch (const CancelScan&) {
            rsLibrary.Close();
            cnLibrary.RollbackTrans();
            return Outcome::Cancelled;
        } catch (...) {
            rsLibrary.Close();
            if (inTransaction) cnLibrary.RollbackTrans();
        }
    }
    // The folder cannot be scanned (above all: it was deleted, moved or renamed):
    // it leaves the library, and the caller learns of it through FolderRemoved.
    try {
        StrSQL = QStringLiteral("Delete from songs where path='") + quoted(folderPath) + QStringLiteral("'");
        cnLibrary.Execute(StrSQL);
    } catch (...) {
    }
    FolderRemoved = 1;
    return Outcome::Removed;
}

}  // namespace Scanner
