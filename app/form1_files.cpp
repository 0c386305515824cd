#include "app/form1.h"

#include "app/Module1.h"

void form1::cmdSave_Click() {}

void form1::cmdOpen_Click() {}

void form1::mnuSave_Click() {}

void form1::mnuOpenList_Click() {}

void form1::mnuOpen_Click() {}

void form1::mnuAutorecover_Click() {}
