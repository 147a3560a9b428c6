#pragma once
// "ペーパートレードで試す" in the main window: an entry of the 全般 tab's
// menu, and a question on the first start. Both start the rehearsal as a
// program of its own, so nothing of this window's program folder is used.

class TPellagoForm;

// firstStart: the terms were accepted at this start.
void OfferRehearsal(TPellagoForm& form, bool firstStart);
