#pragma once
// The report-style list used for the cue, search results and the other song
// lists. Rows live in a plain model (not one widget item per row) so lists of
// 200,000 songs stay fast; the item-like operations the handlers need are
// offered with 1-based row numbers, the top row being 1.
//
// Which rows are selected, and which row is the selected item, is kept in the
// model as one flag per row: handlers select and deselect rows one by one in
// loops over the whole list, which would cost a selection-model update (and
// its signals) each. The view's own selection catches up once control returns
// to the event loop, and the user's clicks flow back into the flags.
#include <QAbstractTableModel>
#include <QItemSelection>
#include <QStringList>
#include <QTreeView>
#include <QVector>
#include <functional>

class QMimeData;

class ListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    QStringList headers;
    QVector<QStringList> rows;  // column 0 is the row's text, column k sub-item k
    QVector<char> selected;     // one flag per row, kept beside rows
    int current = -1;           // 0-based row of the selected item, -1 for none
    bool changing = false;      // inside a row insertion, removal or reset

    // A long read-only listing supplies its rows on demand: a row whose cells
    // are still empty is built by `source` each time it is shown or read, and
    // kept in rows only once it is changed.
    std::function<QStringList(int row0)> source;
    QStringList cells(int row0) const;
    // Columns beyond a row's cells are shown from elsewhere (a song's tags and
    // length), never stored in the row: rows copy and save as they are.
    std::function<QString(const QStringList& cells, int column)> shownBeyond;
    // What such a column sorts by, when not its text (a length by its value).
    std::function<QString(const QStringList& cells, int column)> sortedBeyond;
    QString text(int row0, int column) const;
    // Reorders the rows (their selection flags along) by a column's text,
    // numbers within it by value, letter case aside.
    void sortRows(int column, Qt::SortOrder order);

    bool isSelected(int row0) const { return row0 >= 0 && row0 < selected.size() && selected[row0]; }

    void insertRowAt(int row0, const QStringList& cells);
    void insertRowsAt(int row0, const QVector<QStringList>& more);
    void removeRowAt(int row0);
    // Removes every selected row, one contiguous run at a time.
    void removeSelectedRows();
    void appendRows(const QVector<QStringList>& more);
    void clearRows();
    // Replaces every row by `count` rows that `source` supplies.
    void setSourceRows(int count, std::function<QStringList(int row0)> supply);
    void setHeaders(const QStringList& h);
    void setCell(int row0, int col, const QString& value);

  private:
    // Builds every row still left to the source and lets go of it.
    void keepSourceRows();
};

class ListView : public QTreeView {
    Q_OBJECT
  public:
    struct Column {
        QString name;
        int widthTwips;  // 0 hides the column
    };

    explicit ListView(QWidget* parent = nullptr);
    void SetColumns(const QVector<Column>& columns);

    int Count() const;
    // Adds a row with the given text at 1-based index (0 = at the end); returns its index.
    int Add(int index = 0, const QString& text = QStringLiteral("1"));
    // Appends many rows at once: each holds the text, then sub-items 1.. in order.
    void AddRows(const QVector<QStringList>& rows);
    // Inserts many rows at once so that the first becomes row index (0 = at the end).
    void InsertRows(int index, const QVector<QStringList>& rows);
    void Remove(int index);
    // Removes every selected row; the selected item goes if its row does.
    void RemoveSelected();
    void Clear();
    // Replaces every row by `count` rows built on demand by `cells` from the
    // 0-based row number: a listing of 200,000 songs shows at once and holds
    // only its source, not a list of texts per row.
    void SetSourceRows(int count, std::function<QStringList(int row0)> cells);

    QString Text(int index) const;
    QString SubItem(int index, int k) const;
    void SetSubItem(int index, int k, const QString& value);

    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    void ClearSelection();
    // The row that single-row operations act on (0 when none).
    int SelectedItem() const;
    // Makes the row the selected item and selects it.
    void SetSelectedItem(int index);
    // Header clicks sort the rows by that column, the second click on the
    // same column the other way round.
    void SetSortable(bool on);
    // Shows the selected item's sub-item k as the list's tool tip, so a name
    // too long for the column can be read in full; nothing without one.
    void ToolTipFromSelectedItem(int k = 1);

    ListModel* listModel() const { return model_; }

    // Dragging songs out: the rows (text "1", display name, folder) the user
    // drags from this list, or none to drag nothing.
    void SetDragRows(std::function<QVector<QStringList>()> rows);
    // Taking drops: `drop` gets what was dropped and the 1-based row it was
    // dropped above (0 = below the last row).
    void SetDrop(std::function<void(const QMimeData*, int before)> drop);
    // Songs dragged between the lists, and the list they came from.
    static QString RowsMimeType();
    static QMimeData* RowsMime(const QVector<QStringList>& rows, const ListView* from);
    static QVector<QStringList> RowsOf(const QMimeData* mime, const ListView** from = nullptr);

  signals:
    void Click();
    void DblClick();
    // Button: 1 left, 2 right, 4 middle; x and y in pixels of the list.
    void MouseDown(int button, int shift, int x, int y);
    void MouseMove(int button, int shift, int x, int y);

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void startDrag(Qt::DropActions supported) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    bool validRow(int index) const { return index >= 1 && index <= Count(); }
    // The flags changed from code: empty the view's selection now (so row
    // moves do not drag it along) and rebuild it from the flags later, once.
    void viewSelectionStale();
    void syncViewSelection();
    void userSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void userCurrentChanged(const QModelIndex& current);
    bool ignoreViewSignals() const { return syncing_ || model_->changing; }

    ListModel* model_;
    std::function<QVector<QStringList>()> dragRows_;
    std::function<void(const QMimeData*, int)> drop_;
    bool stale_ = false;
    bool syncing_ = false;
    bool sortable_ = false;
};

// The selected rows of a list in the shared layout ("1", display name, folder), top first.
QVector<QStringList> SelectedRows(const ListView* list);
