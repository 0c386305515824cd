#include "support/TempApp.h"

#include "windows/formlist.h"
#include "windows/frmAbout.h"
#include "windows/frmSetup.h"
#include "windows/id3search.h"
#include "windows/multilist.h"
#include "windows/wizard.h"

template <class... W>
static void Unload() {
    (Windows::Unload<W>(), ...);
}

void UnloadAllWindows() {
    Windows::setOnLastUnloaded(nullptr);
    // In order; the tour last: closing the setup window on a first start opens it.
    Unload<frmAbout, formlist, frmSetup, id3search, multilist, form1, wizard>();
    Windows::flushDeleted();
}
