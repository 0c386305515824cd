#include "library/PlaylistFormats.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "library/ListFile.h"
#include "library/Scanner.h"

namespace PlaylistFormats {

namespace {

// A scheme of two letters or more: "C:\x" is a Windows drive, not a URL.
bool hasScheme(const QString& s) {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return re.match(s).hasMatch();
}

QStringList lines(const QString& text) {
    return text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
}

QList<Item> parseM3u(const QString& text) {
    QList<Item> items;
    QString title;
    for (const QString& raw : lines(text)) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) continue;
        if (line.startsWith(u'#')) {
            // "#EXTINF:seconds,title" names the next entry.
            if (line.startsWith(QLatin1String("#EXTINF:"), Qt::CaseInsensitive)) {
                const qsizetype comma = line.indexOf(u',');
                title = comma < 0 ? QString() : line.mid(comma + 1).trimmed();
            }
            continue;
        }
        items.append({line, title});
        title.clear();
    }
    return items;
}

std::optional<QList<Item>> parsePls(const QString& text) {
    // Entries are numbered; the numbers, not the line order, give the order.
    QMap<int, Item> byNumber;
    static const QRegularExpression re(QStringLiteral("^(File|Title)(\\d+)\\s*=(.*)$"),
                                       QRegularExpression::CaseInsensitiveOption);
    bool section = false;
    for (const QString& raw : lines(text)) {
        section = section || raw.trimmed().compare(QLatin1String("[playlist]"), Qt::CaseInsensitive) == 0;
        const auto m = re.match(raw.trimmed());
        if (!m.hasMatch()) continue;
        Item& item = byNumber[m.captured(2).toInt()];
        (m.captured(1).compare(QLatin1String("File"), Qt::CaseInsensitive) == 0 ? item.location
                                                                                : item.title) =
            m.captured(3).trimmed();
    }
    QList<Item> items;
    for (const Item& item : byNumber)
        if (!item.location.isEmpty()) items.append(item);
    if (!section && items.isEmpty() && !text.trimmed().isEmpty()) return std::nullopt;
    return items;
}

std::optional<QList<Item>> parseXspf(const QByteArray& bytes) {
    QList<Item> items;
    QXmlStreamReader xml(bytes);
    Item current;
    bool inTrack = false, root = true;
    while (!xml.atEnd()) {
        xml.readNext();
        // A DTD is where entities are declared: refused rather than expanded.
        if (xml.tokenType() == QXmlStreamReader::DTD) return std::nullopt;
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (root && name != QLatin1String("playlist")) return std::nullopt;
            root = false;
            if (name == QLatin1String("track")) {
                inTrack = true;
                current = {};
            } else if (inTrack && name == QLatin1String("location") && current.location.isEmpty()) {
                current.location = xml.readElementText().trimmed();
            } else if (inTrack && name == QLatin1String("title")) {
                current.title = xml.readElementText().trimmed();
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("track")) {
            inTrack = false;
            if (!current.location.isEmpty()) items.append(current);
        }
    }
    if (xml.hasError()) return std::nullopt;
    return items;
}

// Text lists hold no control characters but tabs and line breaks.
bool binary(const QByteArray& bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') return true;
    return false;
}

// One line of a text list: a tag's own line breaks would start a new entry.
QString oneLine(QString s) {
    return s.replace(u'\r', u' ').replace(u'\n', u' ');
}

// "Artist - Title" when both are known, else the file name without its type.
QString shownName(const Song& s) {
    if (!s.known.artist.isEmpty() && !s.known.title.isEmpty())
        return oneLine(s.known.artist + QStringLiteral(" - ") + s.known.title);
    return oneLine(QFileInfo(s.name).completeBaseName());
}

QString wholeSeconds(const Song& s) {
    return QString::number(s.known.seconds < 0 ? -1 : qRound64(s.known.seconds));
}

// A location as a local path (absolute or relative), or empty for a URL.
QString localPath(const QString& location, Format format) {
    if (hasScheme(location)) {
        const QUrl url(location);
        return url.isLocalFile() ? url.toLocalFile() : QString();
    }
    // XSPF locations are URI references even when relative: "a%20b.mp3".
    if (format == Format::XSPF) return QUrl::fromPercentEncoding(location.toUtf8());
    return location;
}

QString locationFor(const Song& song, const QDir& listDir, bool relative, Format format) {
    const QString absolute = song.folder + song.name;
    QString path = relative ? listDir.relativeFilePath(absolute) : absolute;
    if (format == Format::XSPF) {
        if (!relative) return QString::fromUtf8(QUrl::fromLocalFile(absolute).toEncoded());
        // Percent-encoded by hand: QUrl would leave some of "#?;:" as they are
        // in a relative reference, which readers then take as a fragment or scheme.
        return QString::fromLatin1(path.toUtf8().toPercentEncoding("/!$&'()*+,=@~-._"));
    }
    // A line starting with "#" is a comment in M3U; "./" keeps the name a path.
    // "./" also keeps a name like "ab:c.mp3" from reading as an address.
    if (relative && (path.startsWith(u'#') || path.startsWith(u' ') || hasScheme(path)))
        path.prepend(QStringLiteral("./"));
    return path;
}

}  // namespace

std::optional<Format> FormatOf(const QString& fileName) {
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == QLatin1String("m3u")) return Format::M3U;
    if (ext == QLatin1String("m3u8")) return Format::M3U8;
    if (ext == QLatin1String("pls")) return Format::PLS;
    if (ext == QLatin1String("xspf")) return Format::XSPF;
    return std::nullopt;
}

QString DialogFilter() {
    return QStringLiteral("M3U|*.m3u|M3U8|*.m3u8|PLS|*.pls|XSPF|*.xspf");
}

std::optional<QList<Item>> Parse(Format format, const QByteArray& bytes) {
    if (format != Format::XSPF && binary(bytes)) return std::nullopt;
    switch (format) {
        case Format::M3U:
            return parseM3u(ListFile::Decode(bytes));
        case Format::M3U8: {
            QString text = QString::fromUtf8(bytes);
            if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
            return parseM3u(text);
        }
        case Format::PLS:
            return parsePls(ListFile::Decode(bytes));
        case Format::XSPF:
            return parseXspf(bytes);
    }
    return {};
}

Imported Resolve(Format format, const QList<Item>& items, const QString& listFolder, bool moreTypes) {
    Imported out;
    const QDir dir(listFolder);
    for (const Item& item : items) {
        QString path = localPath(item.location, format);
        if (path.isEmpty()) {
            ++out.urls;
            continue;
        }
        QFileInfo info(dir.absoluteFilePath(path));
        // Lists made on Windows separate folders with backslashes.
        if (!info.isFile() && path.contains(u'\\'))
            info = QFileInfo(dir.absoluteFilePath(QString(path).replace(u'\\', u'/')));
        if (!info.isFile()) {
            ++out.missing;
            continue;
        }
        // A list naming /etc/passwd must not make it a song.
        if (!Scanner::IsAudioName(info.fileName(), moreTypes)) {
            ++out.notAudio;
            continue;
        }
        out.songs.append({QDir::cleanPath(info.absolutePath()) + u'/', info.fileName()});
    }
    return out;
}

Imported Import(const QString& listFile, bool moreTypes) {
    const auto format = FormatOf(listFile);
    Imported failed;
    if (!format) {
        failed.error = QStringLiteral("not a play list of a known type");
        return failed;
    }
    QByteArray bytes;
    if (!ListFile::ReadAll(listFile, bytes, &failed.error)) return failed;
    const auto items = Parse(*format, bytes);
    failed.notAList = !items;
    if (!items) return failed;
    return Resolve(*format, *items, QFileInfo(listFile).absolutePath(), moreTypes);
}

QByteArray Write(Format format, const QList<Song>& songs, const QString& listFolder, bool relative) {
    const QDir dir(listFolder);
    QByteArray out;
    if (format == Format::XSPF) {
        QXmlStreamWriter xml(&out);
        xml.setAutoFormatting(true);
        xml.writeStartDocument();
        xml.writeStartElement(QStringLiteral("playlist"));
        xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
        xml.writeDefaultNamespace(QStringLiteral("http://xspf.org/ns/0/"));
        xml.writeStartElement(QStringLiteral("trackList"));
        for (const Song& s : songs) {
            xml.writeStartElement(QStringLiteral("track"));
            // In the order the format's schema lists a track's elements.
            xml.writeTextElement(QStringLiteral("location"), locationFor(s, dir, relative, format));
            xml.writeTextElement(QStringLiteral("title"), s.known.title.isEmpty()
                                                              ? QFileInfo(s.name).completeBaseName()
                                                              : s.known.title);
            if (!s.known.artist.isEmpty()) xml.writeTextElement(QStringLiteral("creator"), s.known.artist);
            if (!s.known.album.isEmpty()) xml.writeTextElement(QStringLiteral("album"), s.known.album);
            if (s.known.seconds >= 0)
                xml.writeTextElement(QStringLiteral("duration"),
                                     QString::number(qRound64(s.known.seconds * 1000)));
            xml.writeEndElement();
        }
        xml.writeEndDocument();
        return out;
    }
    QString text;
    if (format == Format::PLS) {
        text = QStringLiteral("[playlist]\n");
        int n = 0;
        for (const Song& s : songs) {
            const QString k = QString::number(++n);
            text += QStringLiteral("File") + k + u'=' + locationFor(s, dir, relative, format) + u'\n';
            text += QStringLiteral("Title") + k + u'=' + shownName(s) + u'\n';
            text += QStringLiteral("Length") + k + u'=' + wholeSeconds(s) + u'\n';
        }
        text += QStringLiteral("NumberOfEntries=") + QString::number(n) + QStringLiteral("\nVersion=2\n");
    } else {
        text = QStringLiteral("#EXTM3U\n");
        for (const Song& s : songs)
            text += QStringLiteral("#EXTINF:") + wholeSeconds(s) + u',' + shownName(s) + u'\n' +
                    locationFor(s, dir, relative, format) + u'\n';
    }
    // UTF-8 throughout: the system's own encoding, and what .m3u is read as first.
    return text.toUtf8();
}

}  // namespace PlaylistFormats
