#include "app/form1.h"

#include "app/Module1.h"

void form1::playsong(QString&) {}

void form1::Command2_Click() {}

void form1::cmdLD1_Click() {}

void form1::cmdLD2_Click() {}

void form1::MP1_EndOfStream() {}

void form1::Timer1_Timer() {}

void form1::Timer2_Timer() {}
