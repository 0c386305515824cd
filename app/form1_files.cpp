#include <QFileInfo>

#include "app/Cue.h"
#include "app/Module1.h"
#include "seams/Seams.h"
#include "app/TagOptions.h"
#include "app/form1.h"
#include "library/ListFile.h"
#include "library/PlaylistFormats.h"
#include "library/SongTags.h"
#include "audio/SongLength.h"

namespace {

const QString kListFilter = QStringLiteral("VLX|*.vlx");
const QString kMusicFilter = QStringLiteral(
    "Music (*.mp3;*.wav;*.wma;*.mid;*.asf;*.rmi;*.snd)|*.mp3;*.wav;*.wma;*.asf;*.mid;*.rmi;*.snd");
const QString kMoreMusicFilter = QStringLiteral(
    "|More Audio Types (*.flac;*.ogg;*.oga;*.opus;*.m4a;*.aac)|*.flac;*.ogg;*.oga;*.opus;*.m4a;*.aac");

bool blank(const QString& s) {
    for (const QChar c : s)
        if (c != u' ') return false;
    return true;
}

// The rows of a list file's text. False when the text holds something but
// not one song, which is no list at all (a wrong file picked in the dialog).
bool parseList(const QString& text, QVector<CueSong>& songs) {
    ListFile::RecordReader reader(text);
    bool anyText = false;
    while (!reader.AtEnd()) {
        const QString field = reader.Next();
        CueSong song;
        if (Cue::FromRecord(field, song))
            songs.append(song);
        else if (!blank(field))
            anyText = true;
    }
    return !songs.isEmpty() || !anyText;
}

// "1 file", "2 files"; nothing for none.
QString counted(int n, const char* one, const char* many) {
    return n == 0 ? QString() : QString::number(n) + u' ' + QLatin1String(n == 1 ? one : many);
}

QString importReport(const PlaylistFormats::Imported& in, const QString& file) {
    QStringList left;
    for (const QString& part : {counted(in.urls, "network address", "network addresses"),
                                counted(in.missing, "file not found", "files not found"),
                                counted(in.notAudio, "not audio file", "not audio files")})
        if (!part.isEmpty()) left << part;
    return QString::number(in.songs.size()) +
           QLatin1String(in.songs.size() == 1 ? " song taken from " : " songs taken from ") +
           QFileInfo(file).fileName() + QStringLiteral(". Left out: ") + left.join(QStringLiteral(", ")) +
           u'.';
}

}  // namespace

void form1::cmdSave_Click() {
    if (lstPlaylist->Count() == 0) {
        Seams::MsgBox(QStringLiteral("There are no songs in the list"));
        return;
    }
    CommonDialog1.FileName = QString();
    CommonDialog1.Filter = kListFilter;
    CommonDialog1.ShowSave();
    if (CommonDialog1.FileName.trimmed().isEmpty()) return;
    CommonDialog1.Filter = kListFilter;
    CommonDialog1.DefaultExt = QStringLiteral(".vlx");
    const QString file = CommonDialog1.FileName;
    QString error;
    if (!ListFile::WriteAtomically(file, Cue::Records(Cue::Songs()), &error))
        Seams::MsgBox(QStringLiteral("The list could not be saved to ") + file + QStringLiteral(": ") + error,
                      Seams::Buttons::OK, Seams::Icon::Critical);
}

void form1::cmdOpen_Click() {
    CommonDialog1.FileName = QString();
    CommonDialog1.Filter = kListFilter;
    CommonDialog1.ShowOpen();
    const QString file = CommonDialog1.FileName;
    if (file.isEmpty()) return;
    // Another player's list, picked by name, is read in its own format.
    if (PlaylistFormats::FormatOf(file)) {
        ImportList(file, true);
        return;
    }
    // The file is read and checked before the cue is cleared: a list that
    // cannot be read must not cost the DJ the songs already lined up.
    QByteArray bytes;
    QString error;
    QVector<CueSong> songs;
    if (!ListFile::ReadAll(file, bytes, &error)) {
        Seams::MsgBox(QStringLiteral("The list ") + file + QStringLiteral(" could not be opened: ") + error,
                      Seams::Buttons::OK, Seams::Icon::Critical);
        return;
    }
    if (!parseList(ListFile::Decode(bytes), songs)) {
        Seams::MsgBox(QStringLiteral("The file ") + file + QStringLiteral(" holds no play list."),
                      Seams::Buttons::OK, Seams::Icon::Critical);
        return;
    }
    Command3_Click();
    Cue::Append(songs, Cue::Count::Refresh, Cue::Backup::Keep);
}

void form1::mnuSave_Click() {
    cmdSave_Click();
}

void form1::mnuOpenList_Click() {
    cmdOpen_Click();
}

void form1::mnuOpen_Click() {
    CommonDialog1.FileName = QString();
    CommonDialog1.Filter =
        kMusicFilter + (Options::Get(Options::MoreAudioTypes) ? kMoreMusicFilter : QString());
    CommonDialog1.ShowOpen();
    const QString f = CommonDialog1.FileName;
    if (f.isEmpty()) return;
    const QString t = CommonDialog1.FileTitle;
    const QString folder = f.endsWith(t) ? f.left(f.size() - t.size()) : QFileInfo(f).path() + u'/';
    Cue::Append({{t, folder}}, Cue::Count::Refresh, Cue::Backup::Keep);
}

void form1::mnuAutorecover_Click() {
    // The menu item has already reversed its check mark when this runs.
    const bool on = mnuAutorecover->isChecked();
    Module1::StrSQL = on ? QStringLiteral("Update settings set autosave='YES'")
                         : QStringLiteral("Update settings set autosave='NO'");
    try {
        Module1::cnLibrary.Execute(Module1::StrSQL);
    } catch (const StoreError& e) {
        // The mark goes back so that it keeps showing what the next start will do.
        mnuAutorecover->setChecked(!on);
        Seams::MsgBox(QStringLiteral("The Auto Recover setting could not be stored: ") + e.message(),
                      Seams::Buttons::OK, Seams::Icon::Critical);
    }
}

void form1::ImportList(const QString& file, bool replace) {
    const PlaylistFormats::Imported in = PlaylistFormats::Import(file, Options::Get(Options::MoreAudioTypes));
    if (in.notAList) {
        Seams::MsgBox(file + QStringLiteral(" is not a play list Velumix can read"), Seams::Buttons::OK,
                      Seams::Icon::Critical);
        return;
    }
    if (!in.error.isEmpty()) {
        Seams::MsgBox(
            QStringLiteral("The list ") + file + QStringLiteral(" could not be opened: ") + in.error,
            Seams::Buttons::OK, Seams::Icon::Critical);
        return;
    }
    QVector<CueSong> songs;
    songs.reserve(in.songs.size());
    for (const PlaylistFormats::Song& s : in.songs) songs.append({s.name, s.folder});
    if (replace) Command3_Click();
    Cue::Append(songs, Cue::Count::Refresh, Cue::Backup::Write);
    // One message for everything left out, after the songs are in.
    if (in.urls + in.missing + in.notAudio > 0)
        Seams::MsgBox(importReport(in, file), Seams::Buttons::OK, Seams::Icon::Information);
}

void form1::mnuImportList_Click() {
    CommonDialog1.FileName = QString();
    CommonDialog1.Filter = PlaylistFormats::DialogFilter();
    CommonDialog1.ShowOpen();
    if (!CommonDialog1.FileName.isEmpty()) ImportList(CommonDialog1.FileName, false);
}

void form1::mnuExportList_Click() {
    if (lstPlaylist->Count() == 0) {
        Seams::MsgBox(QStringLiteral("There are no songs in the list"));
        return;
    }
    CommonDialog1.FileName = QString();
    CommonDialog1.Filter = PlaylistFormats::DialogFilter();
    const QString keptExt = CommonDialog1.DefaultExt;
    CommonDialog1.DefaultExt = QStringLiteral(".m3u8");
    CommonDialog1.ShowSave();
    CommonDialog1.DefaultExt = keptExt;
    QString file = CommonDialog1.FileName;
    if (file.trimmed().isEmpty()) return;
    auto format = PlaylistFormats::FormatOf(file);
    if (!format) {
        file += QStringLiteral(".m3u8");
        format = PlaylistFormats::Format::M3U8;
    }
    QList<PlaylistFormats::Song> songs;
    for (int i = 1; i <= lstPlaylist->Count(); ++i) {
        const QString folder = lstPlaylist->SubItem(i, 2), name = lstPlaylist->SubItem(i, 1);
        const SongTags::Tags t = SongTags::Of(folder, name);
        // The cue's playing time has read most lengths already; a big cue is not read twice.
        const auto known = cueTime_.Known(folder + name);
        songs.append(
            {folder,
             name,
             {t.artist, t.title, t.album,
              known ? *known : audio::songLengthSeconds(QFile::encodeName(folder + name).toStdString())}});
    }
    const QByteArray bytes =
        PlaylistFormats::Write(*format, songs, QFileInfo(file).absolutePath(), Options::Get(kExportRelative));
    QString error;
    if (!ListFile::WriteAtomically(file, bytes, &error))
        Seams::MsgBox(QStringLiteral("The list could not be saved to ") + file + QStringLiteral(": ") + error,
                      Seams::Buttons::OK, Seams::Icon::Critical);
}
