#include "windows/frmSetup.h"

frmSetup::frmSetup() {}

void frmSetup::Form_Load() {}
