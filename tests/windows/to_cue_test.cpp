// Every window that sends songs to the cue does it alike: Play Next puts the
// selected song on top, a double-click appends it, and without a selected row
// nothing happens. Each refreshes the count and writes the auto-recover file.
#include <gtest/gtest.h>

#include <QFile>
#include <functional>

#include "support/CueFixture.h"
#include "windows/formlist.h"
#include "windows/id3search.h"
#include "windows/multilist.h"

namespace {

struct Sender {
    const char* name;
    std::function<void(const QString& appPath)> load;  // shows A.mp3 (/m/) and B.mp3 (/n/)
    std::function<void(int)> pick;                     // 1-based row, 0 for none
    std::function<void()> top, end;
};

template <class W>
W& win() {
    return *Windows::Find<W>();
}

void pickRow(ListView* list, int row) {
    list->ClearSelection();
    if (row) list->SetSelectedItem(row);
}

}  // namespace

TEST(ToCue, EveryWindowPutsTheSelectedSongOnTopOrAtTheEnd) {
    const Sender senders[] = {
        {"master list", [](const QString&) { Windows::Load<formlist>(); },
         [](int row) { win<formlist>().SetListIndex(row - 1); }, [] { win<formlist>().cmdPlaynext_Click(); },
         [] { win<formlist>().lstShowSongs_DblClick(); }},
        {"tag search", [](const QString&) { Windows::Load<id3search>().cmdListAll_Click(); },
         [](int row) { pickRow(win<id3search>().lstresults, row); },
         [] { win<id3search>().cmdPlayNext_Click(); }, [] { win<id3search>().lstresults_DblClick(); }},
        {"list viewer",
         [](const QString& dir) {
             QFile list(dir + "/l.vlx");
             list.open(QIODevice::WriteOnly);
             list.write("/m/*()*A.mp3\r\n/n/*()*B.mp3\r\n");
             list.close();
             Windows::Load<multilist>().OpenList(list.fileName());
         },
         [](int row) { pickRow(win<multilist>().lstresults, row); },
         [] { win<multilist>().cmdPlaynext_Click(); }, [] { win<multilist>().lstresults_DblClick(); }},
    };
    for (const Sender& s : senders) {
        TempApp app;
        app.addSong("A.mp3", "/m/");
        app.addSong("B.mp3", "/n/");
        s.load(app.path());
        s.pick(0);
        s.top();
        s.end();
        EXPECT_TRUE(CueRows().isEmpty()) << s.name;
        s.pick(1);
        s.top();
        s.pick(2);
        s.top();
        s.end();
        EXPECT_EQ(CueRows(), (QStringList{"1|B.mp3|/n/", "1|A.mp3|/m/", "1|B.mp3|/n/"})) << s.name;
        EXPECT_EQ(CueCountLabel(), "Songs in cue:3") << s.name;
        EXPECT_EQ(BackupRows(), CueRows()) << s.name;
    }
}
