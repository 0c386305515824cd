#include <QUrl>

#include <QCoreApplication>

#include "app/Module1.h"
#include "seams/Seams.h"
#include "app/form1.h"
#include "library/AppFolder.h"
#include "windows/ManualViewer.h"
#include "windows/frmAbout.h"
#include "windows/frmSetup.h"
#include "windows/id3search.h"
#include "windows/multilist.h"
#include "windows/wizard.h"

QString form1::EmailCaption() {
    return QStringLiteral("&Email %1 (%2)").arg(Maker::kName, Maker::kSupportAddress);
}

void form1::mnu_Setup_Click() {
    Windows::Show<frmSetup>();
}

void form1::mnu_ID3_Click() {
    Windows::Show<id3search>();
}

void form1::mnu_multilist_Click() {
    Windows::Show<multilist>();
}

void form1::mnu_about_Click() {
    Windows::Show<frmAbout>();
}

void form1::mnuQuickHelp_Click() {
    // A tour the setup window opened on the first start is already on screen
    // without being modal; making a visible window modal would need hiding it
    // first, so it is only brought forward.
    const wizard* open = Windows::Find<wizard>();
    if (!open || !open->isVisible()) Windows::Load<wizard>().setWindowModality(Qt::ApplicationModal);
    Windows::Show<wizard>();
}

void form1::mnu_exit_Click() {
    Windows::Unload<form1>();
}

// The desktop opens these; whether it managed to is not reported.
void form1::mnuHelpGuide_Click() {
    const QString manual = AppFolder::ManualFile(QCoreApplication::applicationDirPath());
    // With no browser on the desktop, the manual is still one click away.
    if (!Seams::ui().shellOpen(QUrl::fromLocalFile(manual))) ManualViewer::Open(manual);
}

void form1::mnuLogOnline_Click() {
    Seams::ui().shellOpen(QUrl(Maker::kProblemPage));
}

void form1::mnuEmail_Click() {
    Seams::ui().shellOpen(QUrl(QStringLiteral("mailto:") + Maker::kSupportAddress));
}
