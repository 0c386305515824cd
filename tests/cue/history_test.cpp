// The play history: what the decks played, by hand or by themselves, its
// window, and its exports.
#include <QFile>

#include "app/HistoryExport.h"
#include "app/PlayHistory.h"
#include "app/PlayHistoryWindow.h"
#include "support/CueFixture.h"

namespace {

const QDateTime kMorning(QDate(2026, 3, 14), QTime(9, 0));

QStringList heard(const QVector<HistoryEntry>& entries) {
    QStringList out;
    for (const HistoryEntry& e : entries)
        out << QStringLiteral("%1 %2 %3s d%4 %5|%6|%7")
                   .arg(e.started.toString("hh:mm:ss"), e.name)
                   .arg(e.seconds)
                   .arg(e.deck)
                   .arg(e.artist, e.title, e.album);
    return out;
}

class HistoryTest : public CueTest {
  protected:
    double t = 0;  // the show's clock, moved by hand
    void SetUp() override {
        f->history->SetClock({[this] { return t; }, [this] { return kMorning.addMSecs(qint64(t * 1000)); }});
    }
    FakeDeckPlayer* d1() { return FakeDeckPlayer::deckNo(1); }
};

}  // namespace

// A row opens as a song starts and is completed as it stops, whichever way it
// stops: its end, a new song opened over it, a pause, the program's exit.
TEST_F(HistoryTest, EverySongHeardIsARowWithItsTimeHeard) {
    app.addSong("A.mp3", "/m/", "Alpha");
    app.exec("UPDATE songs SET artist2='Ann', album='First' WHERE artist='A.mp3'");
    fill(f->lstPlaylist, {"A.mp3", "B.mp3"});
    f->Command2_Click();
    t = 100;
    d1()->advance(180);  // deck 1 moves on to B by itself
    t = 130;
    fill(f->lstPlaylist, {"C.mp3"});
    f->Command2_Click();  // C opened over B, which plays on without a pause
    t = 140.5;
    d1()->Pause();
    t = 150;
    d1()->Play();
    EXPECT_EQ(heard(PlayHistory::Last(1)), QStringList({"09:02:30 C.mp3 -1s d1 ||"}));  // on air
    t = 155;
    UnloadAllWindows();
    EXPECT_EQ(heard(PlayHistory::Between(kMorning.date(), kMorning.date())),
              QStringList({"09:00:00 A.mp3 100s d1 Ann|Alpha|First", "09:01:40 B.mp3 30s d1 ||",
                           "09:02:10 C.mp3 10.5s d1 ||", "09:02:30 C.mp3 5s d1 ||"}));
}

// Days newest first; a day's songs in order; selected songs back into the
// cue; the chosen days, first to last, exported.
TEST_F(HistoryTest, TheWindowListsDaysCopiesToTheCueAndExports) {
    for (int day : {0, 1, 3})
        for (const char* n : {"x.mp3", "y.mp3"})
            PlayHistory::Finish(PlayHistory::Begin({n, "/m/"}, 2, kMorning.addDays(day)), 60);
    auto& w = Windows::Show<PlayHistoryWindow>();
    QStringList days;
    for (int i = 0; i < w.lstDays->count(); ++i) days << w.lstDays->item(i)->text();
    EXPECT_EQ(days, QStringList({"2026-03-17", "2026-03-15", "2026-03-14"}));
    EXPECT_EQ(w.lstSongs->Count(), 2);
    EXPECT_EQ(w.lstSongs->SubItem(2, 1), "09:00:00");
    fill(f->lstPlaylist, {"A.mp3"});
    w.lstSongs->SetSelected(2, true);
    w.cmdCopy_Click();
    EXPECT_EQ(cue(), QStringList({"A.mp3", "y.mp3"}));

    w.lstDays->item(0)->setSelected(false);
    w.lstDays->item(1)->setSelected(true);
    w.lstDays->item(2)->setSelected(true);
    const QString out = app.path() + "/report";
    app.ui.files = {{out}, {out + ".m3u8"}};
    w.cmdCsv_Click();
    w.cmdM3u_Click();
    QByteArray csv, m3u;
    ASSERT_TRUE(ListFile::ReadAll(out + ".csv", csv));
    ASSERT_TRUE(ListFile::ReadAll(out + ".m3u8", m3u));
    EXPECT_EQ(csv.count("\r\n"), 5);  // the header and four songs of two days
    EXPECT_EQ(m3u.count("/m/x.mp3"), 2);
}

// RFC 4180 with every field quoted: a quote doubled, commas and line breaks
// kept inside the quotes, text as UTF-8.
TEST(HistoryExport, CsvQuotesEveryFieldAndEndsLinesWithCrLf) {
    HistoryEntry e;
    e.started = QDateTime(QDate(2026, 1, 2), QTime(23, 4, 5));
    e.seconds = 183.44;
    e.artist = QString::fromUtf8("Bj\u00f6rk, \"live\"");
    e.title = "Line one\nline two";
    e.name = QString::fromUtf8("\u97f3\u697d.mp3");
    e.folder = "/m/";
    HistoryEntry onAir = e;
    onAir.seconds = -1;
    EXPECT_EQ(HistoryExport::Csv({e, onAir}),
              QByteArray(
                  "\"Date\",\"Time\",\"Seconds Heard\",\"Artist\",\"Title\",\"Album\",\"File\",\"Folder\"\r\n"
                  "\"2026-01-02\",\"23:04:05\",\"183.4\",\"Bj\xc3\xb6rk, \"\"live\"\"\",\"Line one\nline "
                  "two\",\"\",\"\xe9\x9f\xb3\xe6\xa5\xbd.mp3\",\"/m/\"\r\n"
                  "\"2026-01-02\",\"23:04:05\",\"\",\"Bj\xc3\xb6rk, \"\"live\"\"\",\"Line one\nline "
                  "two\",\"\",\"\xe9\x9f\xb3\xe6\xa5\xbd.mp3\",\"/m/\"\r\n"));
}
