#include "Markup.h"

#include "base/AkUnit.h"

namespace sim {

std::string EscapeMarkup(const std::string& text)
{
    return HtmlEscape(text);
}

} // namespace sim
