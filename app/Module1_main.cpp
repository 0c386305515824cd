#include <QCoreApplication>
#include <QDir>

#include "app/LibraryWatch.h"
#include "app/Module1.h"
#include "app/Shutdown.h"
#include "seams/Seams.h"
#include "app/Windows.h"
#include "app/form1.h"
#include "library/AppFolder.h"
#include "windows/frmSetup.h"
#include "windows/wizard.h"

namespace Module1 {

namespace {

// Start-up cannot go on without the library: say why and leave nothing open.
int StartupFailed(const QString& engineText) {
    Windows::Unload<form1>();
    Windows::Unload<wizard>();
    rsLibrary.Close();
    rsPaths.Close();
    rsLookup.Close();
    cnLibrary.Close();
    const QString file = Connection::DataSource(cnLibrary.ConnectionString);
    QString text = engineText;
    if (!file.isEmpty() && !text.contains(file))
        text = QStringLiteral("%1\n\n%2").arg(engineText, QDir::toNativeSeparators(file));
    Seams::MsgBox(text, Seams::Buttons::OK, Seams::Icon::Critical);
    return 1;
}

}  // namespace

int Main() {
    rsLibrary.Close();
    rsLookup.Close();
    rsPaths.Close();
    QString reason;
    if (!AppFolder::Prepare(QCoreApplication::applicationDirPath(), &reason)) return StartupFailed(reason);
    try {
        cnLibrary.ConnectionString = LibraryConnectionString(AppPath());
        cnLibrary.Open();
        Shutdown::CloseLibraryAtExit();
        Windows::Load<form1>();
        LibraryWatch::Refresh();
    } catch (const StoreError& e) {
        return StartupFailed(e.message());
    } catch (const std::exception& e) {
        return StartupFailed(QString::fromLocal8Bit(e.what()));
    }
    if (OpenSetupAfterStart == 1) {
        OpenSetupAfterStart = 0;
        Windows::Show<form1>();
        Windows::Show<frmSetup>();
    } else {
        Windows::Show<form1>();
    }
    return 0;
}

}  // namespace Module1
