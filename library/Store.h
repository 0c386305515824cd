#pragma once
// A small connection/recordset layer over SQLite (Qt SQL), in the shapes the
// rest of the program works with: a connection that executes statements, and
// recordsets opened on a statement that are walked, added to and updated.
// Failures throw StoreError carrying the engine's message.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <map>
#include <memory>
#include <stdexcept>

class StoreError : public std::runtime_error {
  public:
    explicit StoreError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    QString message() const { return message_; }

  private:
    QString message_;
};

class Connection {
  public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QString ConnectionString;
    // How long a statement waits for another program's lock before failing.
    static constexpr int kDefaultBusyTimeoutMs = 2000;
    int BusyTimeoutMs = kDefaultBusyTimeoutMs;

    // Opens the file named by "Data Source=" in ConnectionString. The file
    // must exist: the program never creates a library.
    void Open();
    bool IsOpen() const;
    void Close();
    void Execute(const QString& sql);
    // A statement prepared once and kept while the connection stays open: a
    // scan runs the same few statements for each of thousands of folders.
    QSqlQuery& Prepared(const QString& sql);
    // Runs a statement from Prepared and lets go of it, so it holds no lock.
    static void Run(QSqlQuery& statement);

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    // Between BeginBatch and EndBatch the transactions above nest, as
    // savepoints, in one outer transaction: a run of many small ones then
    // waits for the disk once, not once each. EndBatch commits what they kept.
    void BeginBatch();
    void EndBatch();

    QSqlDatabase database() const;
    // Tells one opening from another, so what was read over an earlier one
    // (even of the same file) is never taken for current.
    long long Opening() const { return opening_; }
    static QString DataSource(const QString& connectionString);

  private:
    QString name_;
    bool registered_ = false;  // a Qt connection of this name exists
    bool batch_ = false;
    long long opening_ = 0;
    std::map<QString, std::unique_ptr<QSqlQuery>> prepared_;
};

class Recordset {
  public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void Open(const QString& sql, Connection& cn);
    // What the engine runs for a "select * from TABLE ..." statement: the same
    // rows in the same order, the row id first as "velumix_rowid", and the
    // table's name. "" for other statements.
    static QString RowsStatement(const QString& sql, QString* table = nullptr);
    bool IsOpen() const { return open_; }
    void Close();

    bool EOF_() const { return eof_; }
    void MoveFirst();
    void MoveNext();
    // Number of rows of the statement. Row-returning "select *" statements are
    // counted by the engine without reading their rows here; to learn whether
    // there is a row at all, EOF_() right after Open costs nothing.
    long RecordCount();

    // The current row's column; a null QVariant stands for Null.
    QVariant Fields(const QString& name) const;

    // Adding a row: AddNew, then SetField for each column, then Update.
    // Without AddNew, Update stores the fields changed on the current row.
    void AddNew();
    void SetField(const QString& name, const QVariant& value);
    void Update();

  private:
    void fetch();
    void load(const QVector<QVariant>& row);
    int column(const QString& name) const;
    void requireOpen() const;

    Connection* cn_ = nullptr;
    QString sql_;
    QString execSql_;
    QString table_;
    bool open_ = false;
    bool eof_ = true;
    bool adding_ = false;
    std::unique_ptr<QSqlQuery> query_;
    QStringList columns_;
    QStringList names_;  // the columns as Fields finds them
    // Statements other than "select * from" are small (folders, counts) and
    // read whole at Open, so a loop may change the table it walks.
    bool buffered_ = false;
    QVector<QVector<QVariant>> rows_;
    int pos_ = 0;
    QVector<QVariant> current_;
    qint64 currentRowId_ = -1;
    QStringList pendingNames_;
    QVector<QVariant> pendingValues_;
    std::unique_ptr<QSqlQuery> insert_;
    QString insertKey_;
};
