// Folder scan speed against the floor any scan must pay: listing the folder,
// then opening each file, reading its last 128 bytes and closing it.
// Prints both figures and their ratio for 10,000 and 100,000 tagged MP3 files.
// "bench_scan tree [files]" scans a collection laid out in folders instead:
// first scan, unchanged and changed rescans against the floor, memory, watches.
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QCryptographicHash>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/FolderOptions.h"
#include "bench/BenchSupport.h"
#include "app/Module1.h"
#include "library/FolderPrints.h"
#include "library/FolderWatcher.h"
#include "library/LibraryTrees.h"
#include "library/TreeWalker.h"
#include "library/ID3Tag.h"
#include "library/Scanner.h"
#include "support/TempApp.h"

namespace {

// An ID3v2.3 tag at the front, as most of today's MP3 files carry it instead of ID3v1.
QByteArray id3v2Tag(int i) {
    QByteArray frames;
    auto frame = [&frames](const char* id, const QByteArray& data) {
        const int n = data.size();
        frames +=
            QByteArray(id) + char(n >> 24) + char(n >> 16) + char(n >> 8) + char(n) + QByteArray(2, 0) + data;
    };
    const QByteArray latin1(1, 0);
    frame("TIT2", latin1 + "Title " + QByteArray::number(i));
    frame("TPE1", latin1 + "Artist");
    frame("TALB", latin1 + "Album");
    frame("TYER", latin1 + "2001");
    frame("COMM", latin1 + "eng" + QByteArray(1, 0) + "Comment");
    frame("TCON", latin1 + "(17)");
    frames += QByteArray(256, 0);  // padding, as taggers leave it
    const int n = frames.size();
    return QByteArray("ID3\x03\x00\x00", 6) + char((n >> 21) & 127) + char((n >> 14) & 127) +
           char((n >> 7) & 127) + char(n & 127) + frames;
}

void makeFolder(const QString& folder, int files, bool id3v2) {
    QDir().mkpath(folder);
    QByteArray body(2048, 'm');
    QByteArray tag(128, ' ');
    tag.replace(0, 3, "TAG");
    tag[127] = 17;
    for (int i = 0; i < files; ++i) {
        tag.replace(3, 10, QByteArray::number(i).leftJustified(10, ' '));
        QFile f(folder + QStringLiteral("Track %1.mp3").arg(i, 6, 10, QChar('0')));
        f.open(QIODevice::WriteOnly);
        if (id3v2) f.write(id3v2Tag(i));
        f.write(body);
        if (!id3v2) f.write(tag);
    }
}

// The floor: the listing, then open + read the last 128 bytes + close per file.
double floorMs(const QString& folder) {
    QElapsedTimer t;
    t.start();
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    char buf[128];
    long got = 0;
    for (const QString& n : names) {
        const QByteArray path = QFile::encodeName(folder + n);
        const int fd = ::open(path.constData(), O_RDONLY);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && st.st_size >= 128) got += ::pread(fd, buf, 128, st.st_size - 128);
        ::close(fd);
    }
    if (got != 128L * names.size()) std::fprintf(stderr, "floor read only %ld bytes\n", got);
    return t.nsecsElapsed() / 1e6;
}

// Where the time goes: the listing alone, and the listing with the tag reader.
double listMs(const QString& folder, bool readTags) {
    QElapsedTimer t;
    t.start();
    bool ok = false;
    const QStringList names = Scanner::ListFolder(folder, &ok);
    ID3Tag::ID3v1Tag tag;
    if (readTags)
        for (const QString& n : names) ID3Tag::ReadID3Tag(folder + n, tag);
    return t.nsecsElapsed() / 1e6;
}

double scanMs(const QString& folder) {
    QElapsedTimer t;
    t.start();
    Module1::ScanFolder(folder);
    return t.nsecsElapsed() / 1e6;
}

// id3v2: the files carry only an ID3v2 tag, read through the native tag reader.
void run(int files, bool id3v2) {
    TempApp app;
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Music/");
    makeFolder(folder, files, id3v2);
    Module1::StartupRescan = 1;  // tags are read
    floorMs(folder);             // warm the cache
    // Best of several runs: the machine is shared, and the best run is the one
    // least disturbed by others.
    double floor = 1e18, first = 1e18, rescan = 1e18;
    for (int i = 0; i < 5; ++i) floor = std::min(floor, floorMs(folder));
    for (int i = 0; i < 3; ++i) {
        app.exec(QStringLiteral("DELETE FROM songs"));
        first = std::min(first, scanMs(folder));  // into an empty library
    }
    for (int i = 0; i < 5; ++i) rescan = std::min(rescan, scanMs(folder));
    // Rows whose title a tag filled: all of them, or the tag reader missed some.
    const QString titled = app.scalar(QStringLiteral("SELECT count(title) FROM songs"));
    double list = 1e18, tags = 1e18;
    for (int i = 0; i < 3; ++i) list = std::min(list, listMs(folder, false));
    for (int i = 0; i < 3; ++i) tags = std::min(tags, listMs(folder, true));
    double untagged = 1e18;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        Scanner::ScanFolder(folder, false);
        untagged = std::min(untagged, t.nsecsElapsed() / 1e6);
    }
    std::printf(
        "%7d files: listing %8.1f ms | listing + tag reader %8.1f ms | rescan without tags %8.1f ms\n", files,
        list, tags, untagged);
    const QString rows = app.scalar(QStringLiteral("SELECT count(*) FROM songs"));
    std::printf(
        "%7d files (%s): floor %8.1f ms | first scan %8.1f ms (%.2fx) | rescan %8.1f ms (%.2fx) | rows %s "
        "| titled %s\n",
        files, id3v2 ? "ID3v2 only" : "ID3v1", floor, first, first / floor, rescan, rescan / floor,
        qPrintable(rows), qPrintable(titled));
    std::fflush(stdout);
}

// ---- Tree mode: a collection laid out Group/Artist/Album/Track. ----

QByteArray flacFile(int i) {
    QByteArray info(34, 0);
    info[0] = 0x10, info[2] = 0x10;  // block sizes 4096
    const quint64 bits = (quint64(44100) << 44) | (quint64(1) << 41) | (quint64(15) << 36);
    for (int b = 0; b < 8; ++b) info[10 + b] = char(bits >> (56 - 8 * b));
    auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    QByteArray comments = le32(6) + "bench1" + le32(5);
    for (const QByteArray& c : {"TITLE=Title " + QByteArray::number(i), QByteArray("ARTIST=Artist"),
                                QByteArray("ALBUM=Album"), QByteArray("DATE=2001"), QByteArray("GENRE=Rock")})
        comments += le32(c.size()) + c;
    auto block = [](int type, bool last, const QByteArray& data) {
        const int n = data.size();
        return QByteArray(1, char(type | (last ? 0x80 : 0))) + char(n >> 16) + char(n >> 8) + char(n) + data;
    };
    return "fLaC" + block(0, false, info) + block(4, true, comments) + QByteArray(2048, 'f');
}

// Five MPEG-1 layer III frames (128 kbit/s, 44.1 kHz, 417 bytes each) of
// silence: a tag reader that looks for the first frame finds it at once, as
// in any real MP3 file.
QByteArray mpegFrames() {
    QByteArray frame(417, 0);
    frame[0] = char(0xFF), frame[1] = char(0xFB), frame[2] = char(0x90), frame[3] = 0;
    return frame.repeated(5);
}

// 60 % MP3 with an ID3v2.3 tag only, 20 % MP3 with ID3v1, 20 % FLAC.
void writeTrack(const QString& folder, int i, int variant = 0) {
    QByteArray tag(128, ' ');
    tag.replace(0, 3, "TAG");
    tag.replace(3, 10, QByteArray::number(i + variant).leftJustified(10, ' '));
    tag[127] = 17;
    const int kind = i % 5;
    QFile f(folder + QStringLiteral("Track %1.%2").arg(i, 6, 10, QChar('0')).arg(kind == 4 ? "flac" : "mp3"));
    f.open(QIODevice::WriteOnly);
    if (kind < 3) f.write(id3v2Tag(i + variant) + mpegFrames());
    if (kind == 3) f.write(mpegFrames() + tag);
    if (kind == 4) f.write(flacFile(i + variant));
}

QStringList makeTree(const QString& top, int files) {
    const int folders = std::max(1, files / 20);
    QStringList leaves;
    for (int k = 0; k < folders; ++k) {
        const QString leaf =
            top + QStringLiteral("Group %1/Artist %2/Album %3/").arg(k / 500).arg(k / 25 % 20).arg(k % 25);
        QDir().mkpath(leaf);
        for (int j = 0; j < 20; ++j) writeTrack(leaf, k * 20 + j);
        leaves << leaf;
    }
    return leaves;
}

// Every file of the tree opened, its first 4 KiB and last 128 bytes read.
double treeFloorMs(const QString& top) {
    QElapsedTimer t;
    t.start();
    char head[4096], tail[128];
    for (const QString& folder : TreeWalker::Walk(top).folders)
        for (const QString& n : QDir(folder).entryList(QDir::Files)) {
            const int fd = ::open(QFile::encodeName(folder + n).constData(), O_RDONLY);
            if (fd < 0) continue;
            struct stat st;
            if (::fstat(fd, &st) == 0 && ::pread(fd, head, sizeof head, 0) >= 0 && st.st_size >= 128 &&
                ::pread(fd, tail, 128, st.st_size - 128) < 0)
                std::fprintf(stderr, "read failed\n");
            ::close(fd);
        }
    return t.nsecsElapsed() / 1e6;
}

// The tree walked and every file stat'ed: what no rescan can skip.
double walkStatMs(const QString& top) {
    QElapsedTimer t;
    t.start();
    for (const QString& folder : TreeWalker::Walk(top).folders) FolderPrints::Of(folder, QString());
    return t.nsecsElapsed() / 1e6;
}

// A digest of every row, so comparing rescans costs no memory of its own.
QByteArray allRows() {
    QSqlQuery q(Module1::cnLibrary.database());
    q.setForwardOnly(true);  // else every row is kept for going back
    q.exec(
        "SELECT artist, path, title, artist2, album, year, comment, genre FROM songs ORDER BY path, artist");
    QCryptographicHash hash(QCryptographicHash::Sha1);
    while (q.next())
        for (int c = 0; c < 8; ++c) hash.addData((q.isNull(c) ? "~" : q.value(c).toString().toUtf8()) + '\0');
    return hash.result();
}

// Starts a new peak of the resident memory (VmHWM), so each part is measured on its own.
void resetPeak() {
    ::malloc_trim(0);  // what the bench itself freed is not the next part's
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (!f.open(QIODevice::WriteOnly) || f.write("5") != 1) std::fprintf(stderr, "cannot reset the peak\n");
}

QStringList libraryFolders() {
    QStringList out;
    for (const auto& [f, n] : LibraryTrees::LibraryFoldersWithin(QString())) out << f;
    return out;
}

double timedMs(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

void runTree(int files) {
    TempApp app;
    Options::Set(Options::IncludeSubfolders, true);
    QTemporaryDir dir;
    const QString top = dir.path() + QStringLiteral("/Music/");
    const QStringList leaves = makeTree(top, files);
    Module1::StartupRescan = 1;  // tags are read
    treeFloorMs(top);            // warm the cache
    double floor = 1e18, walk = 1e18;
    for (int i = 0; i < 3; ++i) floor = std::min(floor, treeFloorMs(top));
    for (int i = 0; i < 3; ++i) walk = std::min(walk, walkStatMs(top));
    resetPeak();
    const double heldBefore = bench::statusMb("VmRSS");
    const double first = timedMs([&] {
        LibraryTrees::Add(top);
        Module1::ScanFolders(Module1::TreeRun(top));
    });
    const double firstPeak = bench::statusMb("VmHWM");
    const QString rows = app.scalar(QStringLiteral("SELECT count(*) FROM songs"));
    const QString titled = app.scalar(QStringLiteral("SELECT count(title) FROM songs"));
    const QByteArray full = allRows();
    resetPeak();
    double unchanged = 1e18;
    for (int i = 0; i < 3; ++i)
        unchanged =
            std::min(unchanged, timedMs([] { Module1::ScanFolders(Module1::RescanRun(libraryFolders())); }));
    const double rescanPeak = bench::statusMb("VmHWM");
    const QByteArray before = allRows();
    const bool unchangedEqual = before == full;
    // 1 %: a third added, a third deleted, a third retagged, spread over the tree.
    const int changes = std::max(3, files / 100);
    for (int c = 0; c < changes; ++c) {
        const QString& leaf = leaves[(c * 7919) % leaves.size()];
        const int i = int((c * 7919L) % leaves.size()) * 20 + c % 20;
        if (c % 3 == 0) writeTrack(leaf, files + c);
        if (c % 3 == 1) QDir(leaf).remove(QDir(leaf).entryList(QDir::Files).value(0));
        if (c % 3 == 2) writeTrack(leaf, i, 1);
    }
    const double changed = timedMs([] { Module1::ScanFolders(Module1::RescanRun(libraryFolders())); });
    const QByteArray afterSkipping = allRows();
    Module1::ScanFolders(libraryFolders());  // every folder read again
    const bool equal = allRows() == afterSkipping && afterSkipping != before;
    QStringList folders = TreeWalker::Walk(top).folders;
    FolderWatcher watcher;
    const double watches = timedMs([&] {
        for (const QString& f : folders) watcher.watch(f);
    });
    std::printf("tree of %d files in %d folders (%d leaf folders, three levels):\n", files,
                int(folders.size()), int(leaves.size()));
    std::printf("  floor (walk + open + first 4 KiB + last 128 bytes)  %9.1f ms\n", floor);
    std::printf(
        "  first scan through Add Path, with tags               %9.1f ms  (%.2fx the floor; goal <= 3x)\n",
        first, first / floor);
    std::printf("  walk + stat of every file                            %9.1f ms\n", walk);
    std::printf(
        "  rescan of the unchanged tree                         %9.1f ms  (%.2fx walk + stat; goal <= "
        "1.5x)\n",
        unchanged, unchanged / walk);
    std::printf("  rescan after %d files added, deleted or retagged     %9.1f ms\n", changes, changed);
    std::printf("  rows after the unchanged rescan equal the full scan's: %s\n",
                unchangedEqual ? "yes" : "NO");
    std::printf("  rows after the changed rescan equal a full rescan's:  %s\n", equal ? "yes" : "NO");
    std::printf("  rows %s, titled %s\n", qPrintable(rows), qPrintable(titled));
    std::printf(
        "  peak memory (VmHWM) during the first scan             %9.1f MB  (goal <= 100 MB; the process "
        "held %.1f MB before it)\n",
        firstPeak, heldBefore);
    std::printf("  peak memory (VmHWM) during the unchanged rescans       %9.1f MB\n", rescanPeak);
    std::printf(
        "  watches on %d folders                              %9.1f ms  (%d watched, %d polled; goal <= 100 "
        "ms)\n",
        int(folders.size()), watches, watcher.watchedCount(), int(watcher.polled().size()));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "tree") {
        // Options of a run of its own, never the user's.
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        runTree(argc > 2 ? QByteArray(argv[2]).toInt() : 100000);
        UnloadAllWindows();
        Module1::ResetState();
        return 0;
    }
    // Counts may be given on the command line; by default 10,000 and 100,000
    // files with ID3v1 tags, then 10,000 with only ID3v2 tags.
    QList<int> counts;
    for (int i = 1; i < argc; ++i) counts << QByteArray(argv[i]).toInt();
    const bool byDefault = counts.isEmpty();
    if (byDefault) counts = {10000, 100000};
    for (int n : counts) run(n, false);
    for (int n : byDefault ? QList<int>{10000} : counts) run(n, true);
    UnloadAllWindows();
    Module1::ResetState();
    return 0;
}
