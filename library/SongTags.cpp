#include "library/SongTags.h"

#include "library/ID3Tag.h"
#include "library/Module1State.h"

namespace SongTags {

Tags Of(const QString& folder, const QString& name) {
    const QString sql = QStringLiteral("Select * from songs where artist='") +
                        Module1::SqlQuote(name).toString() + QStringLiteral("' And path='") +
                        Module1::SqlQuote(folder).toString() + QStringLiteral("'");
    // A recordset of its own: a window may be walking the shared ones.
    Recordset rs;
    try {
        rs.Open(sql, Module1::cnLibrary);
        while (!rs.EOF_() && rs.Fields(QStringLiteral("artist")).toString() != name) rs.MoveNext();
        if (rs.EOF_()) return {};
        auto text = [&](const char* column) {
            return ID3Tag::Unpadded(rs.Fields(QLatin1String(column)).toString());
        };
        return {text("artist2"), text("title"), text("album")};
    } catch (const StoreError&) {
        return {};
    }
}

}  // namespace SongTags
