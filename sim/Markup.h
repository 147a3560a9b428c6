#pragma once
// Escaping of text placed in HTML pages and XML answers.

#include <string>

namespace sim {

// & < > " ' as entities, so the text is safe in elements and quoted attributes.
std::string EscapeMarkup(const std::string& text);

} // namespace sim
