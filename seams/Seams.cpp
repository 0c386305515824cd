#include "seams/Seams.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

namespace Seams {
namespace {

class RealInteraction : public Interaction {
  public:
    Answer message(const Message& m) override {
        QMessageBox box;
        box.setWindowTitle(m.title);
        box.setText(m.text);
        switch (m.icon) {
            case Icon::None:
                box.setIcon(QMessageBox::NoIcon);
                break;
            case Icon::Information:
                box.setIcon(QMessageBox::Information);
                break;
            case Icon::Question:
                box.setIcon(QMessageBox::Question);
                break;
            case Icon::Warning:
                box.setIcon(QMessageBox::Warning);
                break;
            case Icon::Critical:
                box.setIcon(QMessageBox::Critical);
                break;
        }
        switch (m.buttons) {
            case Buttons::OK:
                box.setStandardButtons(QMessageBox::Ok);
                break;
            case Buttons::OKCancel:
                box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
                break;
            case Buttons::YesNo:
                box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
                break;
            case Buttons::YesNoCancel:
                box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
                break;
        }
        switch (box.exec()) {
            case QMessageBox::Yes:
                return Answer::Yes;
            case QMessageBox::No:
                return Answer::No;
            case QMessageBox::Cancel:
                return Answer::Cancel;
            default:
                return Answer::OK;
        }
    }

    QStringList fileDialog(QWidget* owner, const FileDialog& d) override {
        const QString filter = toQtFilter(d.filter);
        const QString at = d.folder.isEmpty()     ? d.fileName
                           : d.fileName.isEmpty() ? d.folder
                                                  : d.folder + '/' + d.fileName;
        switch (d.kind) {
            case FileDialog::Open: {
                QString f = QFileDialog::getOpenFileName(owner, QString(), at, filter);
                return f.isEmpty() ? QStringList() : QStringList{f};
            }
            case FileDialog::OpenMultiple:
                return QFileDialog::getOpenFileNames(owner, QString(), at, filter);
            case FileDialog::Save: {
                QFileDialog dlg(owner, QString(), at, filter);
                dlg.setAcceptMode(QFileDialog::AcceptSave);
                QString ext = d.defaultExt;
                if (ext.startsWith('.')) ext.remove(0, 1);
                dlg.setDefaultSuffix(ext);
                if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
                return {dlg.selectedFiles().first()};
            }
        }
        return {};
    }

    QString browseFolder(QWidget* owner, const QString& title, const QString& start) override {
        return QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
    }

    QAction* popup(QMenu* menu, const QPoint& globalPos) override { return menu->exec(globalPos); }

    bool shellOpen(const QUrl& target) override { return QDesktopServices::openUrl(target); }
};

Interaction* g_replacement = nullptr;

}  // namespace

Interaction& ui() {
    static RealInteraction real;
    return g_replacement ? *g_replacement : real;
}

void install(Interaction* replacement) {
    g_replacement = replacement;
}

Answer MsgBox(const QString& text, Buttons buttons, Icon icon, const QString& title) {
    Message m;
    m.text = text;
    m.buttons = buttons;
    m.icon = icon;
    m.title = title.isEmpty() ? QString::fromLatin1(kAppTitle) : title;
    return ui().message(m);
}

QString toQtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        out << parts[i] + " (" + patterns + ")";
    }
    return out.join(";;");
}

}  // namespace Seams
