#include "app/form1.h"

#include "app/Module1.h"

void form1::cmdUP_Click() {}

void form1::cmdDown_Click() {}

void form1::lstPlaylist_DblClick() {}

void form1::lstPlaylist_Click() {}

void form1::lstPlaylist_MouseDown(int, int, int, int) {}

void form1::mnuDeleteSelected_Click() {}

void form1::cmdPlayNow_Click() {}

void form1::cmdCS_Click() {}

void form1::Command3_Click() {}

void form1::cmdFirst_Click() {}

void form1::Command7_Click() {}
