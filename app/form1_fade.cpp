#include "app/form1.h"

#include "app/Module1.h"

void form1::chkAutoFade_Click() {}

void form1::T1_Timer() {}

void form1::T2_Timer() {}

void form1::Fader_Click() {}

void form1::Command5_Click() {}

void form1::Command6_Click() {}

void form1::MP1_PlayStateChange(int, int) {}

void form1::MP2_PlayStateChange(int, int) {}
