// Text for an HTML page: every character that could start markup or end
// an attribute value is replaced by its entity, so a name holding <, &
// or a quote shows as text, in element content and in quoted attributes.
#pragma once

#include <string>

namespace tsmreport {

std::string EscapeHtml(const std::string& text);

}  // namespace tsmreport
