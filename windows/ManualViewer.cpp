#include "windows/ManualViewer.h"

#include <QUrl>
#include <QVBoxLayout>

ManualViewer::ManualViewer() {
    setWindowTitle(QStringLiteral("Velumix Help Guide"));
    browser = new QTextBrowser(this);
    // Pages of the manual open here; web addresses go to the desktop.
    browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    resize(720, 560);
}

void ManualViewer::Open(const QString& file) {
    ManualViewer& v = Windows::Show<ManualViewer>();
    v.browser->setSource(QUrl::fromLocalFile(file));
}
