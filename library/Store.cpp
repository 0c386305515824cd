#include "library/Store.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>

#include "library/SqlFunctions.h"

namespace {
std::atomic<int> g_connectionSerial{0};

QString lastError(const QSqlError& e) {
    QString t = e.text().trimmed();
    return t.isEmpty() ? QStringLiteral("Unknown database error") : t;
}
}  // namespace

Connection::Connection() : name_(QStringLiteral("velumix-%1").arg(++g_connectionSerial)) {}

Connection::~Connection() {
    Close();
}

QString Connection::DataSource(const QString& cs) {
    // key=value pairs split at ';', where a value may be quoted ("..." or '...',
    // a doubled quote standing for one) so that it can hold ';' itself.
    qsizetype i = 0;
    while (i < cs.size()) {
        const qsizetype eq = cs.indexOf('=', i), semi = cs.indexOf(';', i);
        if (eq < 0) break;
        if (semi >= 0 && semi < eq) {
            i = semi + 1;
            continue;
        }
        const QString key = cs.mid(i, eq - i).trimmed();
        qsizetype j = eq + 1;
        while (j < cs.size() && cs[j] == ' ') ++j;
        QString value;
        if (j < cs.size() && (cs[j] == '"' || cs[j] == '\'')) {
            const QChar quote = cs[j++];
            for (; j < cs.size(); ++j) {
                if (cs[j] != quote) {
                    value += cs[j];
                } else if (j + 1 < cs.size() && cs[j + 1] == quote) {
                    value += cs[++j];
                } else {
                    break;
                }
            }
            j = cs.indexOf(';', j);
        } else {
            j = cs.indexOf(';', eq + 1);
            value = cs.mid(eq + 1, j < 0 ? -1 : j - eq - 1);
        }
        if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0) return value;
        if (j < 0) break;
        i = j + 1;
    }
    return {};
}

void Connection::Open() {
    Close();
    const QString file = DataSource(ConnectionString);
    if (file.isEmpty()) throw StoreError(QStringLiteral("No Data Source in the connection string."));
    if (!QFileInfo(file).isFile()) throw StoreError(QStringLiteral("Could not find file '%1'.").arg(file));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    registered_ = true;
    db.setDatabaseName(file);
    // Never let SQLite create a missing file, and wait a little for a lock.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    db.setDatabaseName(QStringLiteral("file:%1?mode=rw").arg(QString(QUrl::toPercentEncoding(file, "/"))));
    if (!db.open()) {
        const QString err = lastError(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        registered_ = false;
        throw StoreError(err);
    }
    static std::atomic<long long> openings{0};
    opening_ = ++openings;
    RegisterSqlFunctions(db);
    // Reading the schema proves this is a database at all (a random file opens fine).
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        const QString err = lastError(probe.lastError());
        probe = QSqlQuery();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        registered_ = false;
        throw StoreError(err);
    }
}

bool Connection::IsOpen() const {
    return registered_ && QSqlDatabase::database(name_, false).isOpen();
}

void Connection::Close() {
    // Touches Qt SQL only if this connection registered itself: a static
    // Connection may be destroyed after Qt's own statics.
    if (!registered_) return;
    registered_ = false;
    batch_ = false;
    prepared_.clear();
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase Connection::database() const {
    return QSqlDatabase::database(name_, false);
}

void Connection::Execute(const QString& sql) {
    if (!IsOpen()) throw StoreError(QStringLiteral("The library connection is not open."));
    QSqlQuery q(database());
    if (!q.exec(sql)) throw StoreError(lastError(q.lastError()));
}

QSqlQuery& Connection::Prepared(const QString& sql) {
    if (!IsOpen()) throw StoreError(QStringLiteral("The library connection is not open."));
    std::unique_ptr<QSqlQuery>& q = prepared_[sql];
    if (!q) {
        auto fresh = std::make_unique<QSqlQuery>(database());
        if (!fresh->prepare(sql)) throw StoreError(lastError(fresh->lastError()));
        q = std::move(fresh);
    }
    return *q;
}

void Connection::Run(QSqlQuery& statement) {
    const bool ok = statement.exec();
    const QString why = ok ? QString() : lastError(statement.lastError());
    statement.finish();
    if (!ok) throw StoreError(why);
}

void Connection::BeginTrans() {
    if (batch_) return Run(Prepared(QStringLiteral("SAVEPOINT velumix_step")));
    if (!IsOpen() || !database().transaction())
        throw StoreError(QStringLiteral("Could not begin a transaction: ") +
                         lastError(database().lastError()));
}

void Connection::CommitTrans() {
    if (batch_) return Run(Prepared(QStringLiteral("RELEASE velumix_step")));
    if (!database().commit()) throw StoreError(lastError(database().lastError()));
}

void Connection::RollbackTrans() {
    if (!batch_) {
        database().rollback();
        return;
    }
    QSqlQuery q(database());
    q.exec(QStringLiteral("ROLLBACK TO velumix_step"));
    q.exec(QStringLiteral("RELEASE velumix_step"));
}

void Connection::BeginBatch() {
    if (batch_) return;
    BeginTrans();
    batch_ = true;
}

void Connection::EndBatch() {
    if (!batch_) return;
    batch_ = false;
    if (!database().commit()) {
        const QString why = lastError(database().lastError());
        database().rollback();
        throw StoreError(why);
    }
}

namespace {

// "select * from T ..." with the row id carried along, so rows can be updated.
// A plain filter is run as "rowid IN (select rowid ... where filter)": the
// engine can then test the filter on a narrow index (a name search reads the
// artist index, not every tag of 200,000 rows) and fetch only the hits, in
// the same row order. Anything beyond a plain filter runs as written.
QString rowsStatement(const QString& sql, const QString& table) {
    static const QRegularExpression filter(
        QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+\\w+\\s+where\\s+(\\S.*)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression beyond(
        QStringLiteral("\\b(order|group|limit|union|intersect|except|having|window|offset)\\b|--|/\\*|;"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = filter.match(sql);
    if (m.hasMatch() && !beyond.match(m.captured(1)).hasMatch())
        return QStringLiteral(
                   "SELECT rowid AS velumix_rowid, * FROM %1 WHERE rowid IN (SELECT rowid FROM %1 "
                   "WHERE %2)")
            .arg(table, m.captured(1));
    return QStringLiteral("SELECT rowid AS velumix_rowid, ") + sql.mid(sql.indexOf('*'));
}

const QRegularExpression& selectAll() {
    static const QRegularExpression star(QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+(\\w+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    return star;
}

}  // namespace

QString Recordset::RowsStatement(const QString& sql, QString* table) {
    const auto m = selectAll().match(sql);
    if (!m.hasMatch()) return {};
    if (table) *table = m.captured(1);
    return rowsStatement(sql, m.captured(1));
}

Recordset::Recordset() = default;
Recordset::~Recordset() {
    Close();
}

void Recordset::requireOpen() const {
    if (!open_) throw StoreError(QStringLiteral("Operation is not allowed when the object is closed."));
}

void Recordset::Open(const QString& sql, Connection& cn) {
    if (open_) throw StoreError(QStringLiteral("Operation is not allowed when the object is open."));
    if (!cn.IsOpen()) throw StoreError(QStringLiteral("The library connection is not open."));
    cn_ = &cn;
    sql_ = sql;
    execSql_ = sql;
    table_.clear();
    // "select * from T ..." statements may update their rows: carry the row id along.
    static const QRegularExpression from(QStringLiteral("\\bfrom\\s+(\\w+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (auto m = selectAll().match(sql); m.hasMatch()) {
        table_ = m.captured(1);
        execSql_ = rowsStatement(sql, table_);
    } else if (auto f = from.match(sql); f.hasMatch()) {
        table_ = f.captured(1);
    }
    query_ = std::make_unique<QSqlQuery>(cn.database());
    query_->setForwardOnly(true);
    if (!query_->exec(execSql_)) {
        const QString err = lastError(query_->lastError());
        query_.reset();
        throw StoreError(err);
    }
    columns_.clear();
    names_.clear();
    const QSqlRecord rec = query_->record();
    for (int i = 0; i < rec.count(); ++i) {
        columns_ << rec.fieldName(i);
        // An expression such as distinct(path) is named after its text.
        QString n = rec.fieldName(i);
        if (n.startsWith('(') && n.endsWith(')')) n = n.mid(1, n.size() - 2);
        names_ << n.trimmed();
    }
    open_ = true;
    adding_ = false;
    pendingNames_.clear();
    pendingValues_.clear();
    buffered_ = table_.isEmpty() || execSql_ == sql_;
    rows_.clear();
    pos_ = 0;
    if (buffered_) {
        while (query_->next()) {
            QVector<QVariant> row(columns_.size());
            for (int i = 0; i < columns_.size(); ++i) row[i] = query_->value(i);
            rows_ << row;
        }
        query_->finish();
    }
    fetch();
}

void Recordset::load(const QVector<QVariant>& row) {
    eof_ = false;
    current_ = row;
    currentRowId_ = table_.isEmpty() || execSql_ == sql_ ? -1 : current_[0].toLongLong();
}

void Recordset::fetch() {
    if (buffered_) {
        if (pos_ < rows_.size()) {
            load(rows_[pos_++]);
            return;
        }
    } else if (query_ && query_->next()) {
        QVector<QVariant> row(columns_.size());
        for (int i = 0; i < columns_.size(); ++i) row[i] = query_->value(i);
        load(row);
        return;
    }
    eof_ = true;
    current_.clear();
    currentRowId_ = -1;
}

void Recordset::Close() {
    if (!open_) return;
    query_.reset();
    insert_.reset();
    insertKey_.clear();
    open_ = false;
    eof_ = true;
    adding_ = false;
    current_.clear();
    rows_.clear();
    pendingNames_.clear();
    pendingValues_.clear();
}

void Recordset::MoveFirst() {
    requireOpen();
    if (buffered_) {
        pos_ = 0;
    } else {
        query_->finish();
        if (!query_->exec(execSql_)) throw StoreError(lastError(query_->lastError()));
    }
    fetch();
}

void Recordset::MoveNext() {
    requireOpen();
    if (eof_)
        throw StoreError(
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    fetch();
}

long Recordset::RecordCount() {
    requireOpen();
    if (buffered_) return static_cast<long>(rows_.size());
    QSqlQuery q(cn_->database());
    if (!q.exec(QStringLiteral("SELECT count(*) FROM (") + sql_ + QStringLiteral(")")) || !q.next())
        throw StoreError(lastError(q.lastError()));
    return static_cast<long>(q.value(0).toLongLong());
}

int Recordset::column(const QString& name) const {
    for (int i = 0; i < names_.size(); ++i)
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant Recordset::Fields(const QString& name) const {
    requireOpen();
    if (eof_)
        throw StoreError(
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    const int i = column(name);
    if (i < 0)
        throw StoreError(
            QStringLiteral("Item cannot be found in the collection corresponding to the requested name "
                           "or ordinal: %1")
                .arg(name));
    const QVariant& v = current_[i];
    return v.isNull() ? QVariant() : v;
}

void Recordset::AddNew() {
    requireOpen();
    if (buffered_) throw StoreError(QStringLiteral("This recordset cannot be added to."));
    adding_ = true;
    pendingNames_.clear();
    pendingValues_.clear();
}

void Recordset::SetField(const QString& name, const QVariant& value) {
    requireOpen();
    if (!adding_ && currentRowId_ < 0)
        throw StoreError(
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    const int at = pendingNames_.indexOf(name);
    if (at >= 0)
        pendingValues_[at] = value;
    else {
        pendingNames_ << name;
        pendingValues_ << value;
    }
}

void Recordset::Update() {
    requireOpen();
    if (pendingNames_.isEmpty() && !adding_) return;
    QSqlDatabase db = cn_->database();
    if (adding_) {
        // Scans store thousands of rows through one recordset: reuse the prepared insert.
        const QString key = pendingNames_.join(',');
        if (!insert_ || key != insertKey_) {
            QStringList marks;
            for (int i = 0; i < pendingNames_.size(); ++i) marks << QStringLiteral("?");
            insert_ = std::make_unique<QSqlQuery>(db);
            const QString sql = pendingNames_.isEmpty()
                                    ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table_)
                                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(table_, pendingNames_.join(','), marks.join(','));
            if (!insert_->prepare(sql)) {
                const QString err = lastError(insert_->lastError());
                insert_.reset();
                throw StoreError(err);
            }
            insertKey_ = key;
        }
        for (int i = 0; i < pendingValues_.size(); ++i) insert_->bindValue(i, pendingValues_[i]);
        if (!insert_->exec()) throw StoreError(lastError(insert_->lastError()));
        adding_ = false;
    } else {
        QStringList sets;
        for (const QString& n : pendingNames_) sets << n + QStringLiteral("=?");
        QSqlQuery q(db);
        if (!q.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(table_, sets.join(','))))
            throw StoreError(lastError(q.lastError()));
        int i = 0;
        for (; i < pendingValues_.size(); ++i) q.bindValue(i, pendingValues_[i]);
        q.bindValue(i, currentRowId_);
        if (!q.exec()) throw StoreError(lastError(q.lastError()));
        for (int k = 0; k < pendingNames_.size(); ++k) {
            const int col = column(pendingNames_[k]);
            if (col >= 0) current_[col] = pendingValues_[k];
        }
    }
    pendingNames_.clear();
    pendingValues_.clear();
}
