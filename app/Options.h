// Per-user options that go beyond the library's own settings row.
// They live in QSettings (~/.config/Velumix/Velumix.conf), so they follow the
// user rather than the library file, and a shared songs.mdb keeps its schema.
#pragma once

#include <QString>
#include <functional>

class QAction;
class QMenu;

namespace Options {

struct Flag {
    const char* key;      // QSettings key
    const char* caption;  // Tools menu caption
    bool byDefault;
};

bool Get(const Flag& flag);
void Set(const Flag& flag, bool on);

// A checkable item at the end of `menu`, showing the stored value and storing
// each toggle before `onChange` runs, so a handler always sees the new value.
// The folder a dialog for this kind of file last chose in ("" before the
// first), so that the next one opens there, also after a restart.
QString LastFolder(const QString& kind);
void SetLastFolder(const QString& kind, const QString& folder);

// A text option by key ("" before it was first stored).
QString Text(const char* key);
void SetText(const char* key, const QString& value);
// The file these options live in (say, to keep a secret in it readable by its owner only).
QString File();

QAction* AddMenuItem(QMenu* menu, const Flag& flag, std::function<void(bool)> onChange = {});

}  // namespace Options
