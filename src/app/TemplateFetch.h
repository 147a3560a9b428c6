#pragma once
// The service's account template: fetched, kept as Setting/AccountTemplate.xml
// and merged into the account document (which is created from it when
// missing). The merge hands the template's Bin list to the helper update.

// Button2 / Button9, the window's start-up and every new signal. False (with
// the failure line in the log) when the template could not be fetched,
// stored or read; the stored template is replaced only by one that reads,
// and the window then draws its trees from the account document as it is.
bool FetchAccountTemplate();
