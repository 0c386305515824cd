#include "app/TagColumns.h"

#include "app/CueTime.h"
#include "app/ListView.h"
#include "library/ID3Tag.h"
#include "library/SongTags.h"

namespace {

enum { kArtist = 3, kTitle, kLength };

// The three columns every song list has, then the added ones; together as
// wide as the name's column alone was, so the list needs no scrolling.
const QVector<ListView::Column> kShared{{"id", 0}, {"Song", 5500}, {"Path", 0}};
const QVector<ListView::Column> kWithTags{{"id", 0},        {"Song", 2400},  {"Path", 0},
                                          {"Artist", 1300}, {"Title", 1300}, {"Length", 500}};

// Past this many songs looked up one by one (beyond a search's own hits) the
// remembered tags start afresh.
constexpr qsizetype kTagLimit = 50000;

}  // namespace

void TagColumns::Apply(ListView* list, bool on, bool sortable) {
    list->SetColumns(on ? kWithTags : kShared);
    list->listModel()->shownBeyond =
        on ? [this](const QStringList& row, int column) { return text(row, column); }
           : std::function<QString(const QStringList&, int)>();
    list->listModel()->sortedBeyond =
        on ? [this](const QStringList& row, int column) {
            return column == kLength ? lengths_.LengthKey(row.value(2) + row.value(1)) : text(row, column);
        }
           : std::function<QString(const QStringList&, int)>();
    list->SetSortable(on && sortable);
}

void TagColumns::Remember(const QString& file, const QString& artist, const QString& title) {
    tags_.insert(file, {ID3Tag::Unpadded(artist), ID3Tag::Unpadded(title)});
}

QString TagColumns::text(const QStringList& row, int column) {
    const QString file = row.value(2) + row.value(1);
    if (column == kLength) return CueTime::Clock(lengths_.Seconds(file));
    auto it = tags_.constFind(file);
    if (it == tags_.cend()) {
        // A song that came in another way (a list file, a drop): one look at its library row.
        const SongTags::Tags tags = SongTags::Of(row.value(2), row.value(1));
        // Songs looked up one by one are bounded; a search's own hits stay,
        // so sorting its results never looks them up again.
        if (tags_.size() >= found_ + kTagLimit) Forget();
        Remember(file, tags.artist, tags.title);
        it = tags_.constFind(file);
    }
    return column == kArtist ? it->first : column == kTitle ? it->second : QString();
}
