// What a click on a link of the welcome text opens.
#pragma once

#include <string>

namespace ko {

// "mailto:" + the text when it is an e-mail address (it holds "@"); otherwise the text itself:
// a web address, a document or a program.
std::string LinkTarget(const std::string& linkText);

} // namespace ko
