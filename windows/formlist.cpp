#include "windows/formlist.h"

formlist::formlist() {}

void formlist::Form_Load() {}
