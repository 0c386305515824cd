#include "windows/wizard.h"

wizard::wizard() {}

void wizard::Form_Load() {}
