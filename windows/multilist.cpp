#include "windows/multilist.h"

multilist::multilist() {}

void multilist::Form_Load() {}
