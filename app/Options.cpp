#include "app/Options.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

namespace Options {

namespace {
QSettings Store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Velumix"),
                     QStringLiteral("Velumix"));
}
}  // namespace

bool Get(const Flag& flag) {
    return Store().value(QLatin1String(flag.key), flag.byDefault).toBool();
}

void Set(const Flag& flag, bool on) {
    Store().setValue(QLatin1String(flag.key), on);
}

QString LastFolder(const QString& kind) {
    return Store().value(QStringLiteral("folders/") + kind).toString();
}

void SetLastFolder(const QString& kind, const QString& folder) {
    Store().setValue(QStringLiteral("folders/") + kind, folder);
}

QString Text(const char* key) {
    return Store().value(QLatin1String(key)).toString();
}

void SetText(const char* key, const QString& value) {
    Store().setValue(QLatin1String(key), value);
}

QString File() {
    return Store().fileName();
}

QAction* AddMenuItem(QMenu* menu, const Flag& flag, std::function<void(bool)> onChange) {
    QAction* item = menu->addAction(QString::fromUtf8(flag.caption));
    item->setCheckable(true);
    item->setChecked(Get(flag));
    QObject::connect(item, &QAction::toggled, item, [flag, onChange](bool on) {
        Set(flag, on);
        if (onChange) onChange(on);
    });
    return item;
}

}  // namespace Options
