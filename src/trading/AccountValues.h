#pragma once
// The values of one account as the account tab edits them: a direct child
// element of the account, read and written one keystroke at a time, the
// log-in values scrambled on disk.

#include "documents/AccountDocument.h"

#include <optional>
#include <string>

// UserName, Password and SubPassword (any letter case): masked on the
// screen, scrambled in the file.
bool IsMaskedValueName(const std::string& name);

// The value of the account's child element `name` as the editor shows it
// (the masked ones unscrambled); "" for a missing or empty element. None
// when the account is missing or the element holds elements of its own
// (such as Today), which a typed value would wipe out.
std::optional<std::string> ReadAccountValue(int accountIndex, const std::string& name,
                                            const std::string& accountPath = AccountDocumentPath());

// Stores the text into the account's child element `name` (created when
// missing; scrambled when masked) and saves. False when the account is
// missing, the element holds elements, or the file fails.
bool StoreAccountValue(int accountIndex, const std::string& name, const std::string& text,
                       const std::string& accountPath = AccountDocumentPath());

// Enabled may only be switched on when UserName and Password both hold text.
bool HasLogInData(int accountIndex, const std::string& accountPath = AccountDocumentPath());

// Creates Setting/Account.xml from the stored template when it is missing.
// False when neither exists.
bool EnsureAccountDocument(const std::string& accountPath = AccountDocumentPath(),
                           const std::string& templatePath = AccountTemplatePath());
