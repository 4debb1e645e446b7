// The slow-down order form ("Modulo M. 3") for the built-in train.
#pragma once

#include <string>

#include "text/text_lines.h"

namespace sb::documents {

// The 46 lines of the form, closed by the end marker. The texts inside it
// (line, train number, restriction row) are fixed.
text::TextLines builtInSlowDownOrders();

// Writes the form for lineName and trainNumber into folder; the names only
// choose the file name.
void writeSlowDownOrders(const std::string& folder, const std::string& lineName, const std::string& trainNumber);

}  // namespace sb::documents
