#pragma once
// The file dialog control: the caller sets FileName, Filter and DefaultExt,
// shows it, and reads back FileName and FileTitle ("" on cancel). With
// Flags & AllowMultiSelect and several files chosen, FileName holds the folder
// and the file names separated by NUL characters.
#include <QString>

class QWidget;

class CommonDialog {
  public:
    static constexpr int AllowMultiSelect = 0x200;
    static constexpr int Explorer = 0x80000;
    static constexpr int LongNames = 0x200000;

    explicit CommonDialog(QWidget* owner, const QString& designDefaultExt = QString())
        : DefaultExt(designDefaultExt), owner_(owner) {}

    QString FileName;
    QString FileTitle;
    QString Filter;
    QString DefaultExt;
    int Flags = 0;

    void ShowOpen();
    void ShowSave();

  private:
    QWidget* owner_;
};
