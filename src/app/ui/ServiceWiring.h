#pragma once
// The service operations on the window: the user tab's log-in test and
// manual receive, the start-up version check and the replacement time-out,
// and the hooks through which those operations reach the window.

class AutoTradeWiring;
class TPellagoForm;

void ConnectServiceControls(TPellagoForm& form, AutoTradeWiring& autoTrade);
