#include "app/form1.h"

#include "app/Module1.h"

void form1::mnu_Setup_Click() {}

void form1::mnu_ID3_Click() {}

void form1::mnu_multilist_Click() {}

void form1::mnu_about_Click() {}

void form1::mnuQuickHelp_Click() {}

void form1::mnu_exit_Click() {}

void form1::mnuHelpGuide_Click() {}

void form1::mnuLogOnline_Click() {}

void form1::mnuEmail_Click() {}
