#include "windows/id3search.h"

id3search::id3search() {}

void id3search::Form_Load() {}
