#include "windows/frmAbout.h"

frmAbout::frmAbout() {}

void frmAbout::Form_Load() {}
