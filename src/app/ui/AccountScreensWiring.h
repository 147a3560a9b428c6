#pragma once
// The account, portfolio and model-case screens on the main window: their
// controls, the template fetch behind Button2 and Button9, and the log-on
// test, run with the window locked as for a trade run.

class TPellagoForm;

void ConnectAccountScreens(TPellagoForm& form);
