#pragma once
// The Artist, Title and Length columns the search results and the cue show
// after a song's name. They are shown, never stored: a row keeps the shared
// layout (text "1", name, folder), so rows copy and list files stay as they
// are. Tags come from the library (a search hands over what it read), the
// length from the cue-time reader's cache, which reads files on its own
// thread, so the window never waits on a file.
#include <QHash>
#include <QPair>
#include <QString>

class CueTime;
class ListView;

class TagColumns {
  public:
    explicit TagColumns(CueTime& lengths) : lengths_(lengths) {}

    // Shows the columns on a list, or with on false only the three the list
    // always had; sortable lists then sort by a header click.
    void Apply(ListView* list, bool on, bool sortable);
    // A song's tags as a search just read them, so its rows need no lookup.
    void Remember(const QString& file, const QString& artist, const QString& title);
    // Forgets every song's tags, so that edits and rescans show.
    void Forget() {
        tags_.clear();
        found_ = 0;
    }
    // The songs remembered so far are a search's hits, all kept while it shows.
    void Found() { found_ = tags_.size(); }

  private:
    QString text(const QStringList& row, int column);

    CueTime& lengths_;
    QHash<QString, QPair<QString, QString>> tags_;  // file: artist, title
    qsizetype found_ = 0;
};
