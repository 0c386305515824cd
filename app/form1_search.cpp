#include "app/form1.h"

#include "app/Module1.h"

void form1::Command1_Click() {}

void form1::txtSearch_KeyPress(int&) {}

void form1::cmdShowSongs_Click() {}

void form1::Command4_Click() {}

void form1::lstresults_Click() {}

void form1::lstresults_MouseMove(int, int, int, int) {}

void form1::lstresults_DblClick() {}

void form1::lstresults_MouseDown(int, int, int, int) {}

void form1::mnuAddSelected_Click() {}
