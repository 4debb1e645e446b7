// Reading a route page as text: the marks it draws, by kind and metre.
#pragma once

#include <map>
#include <regex>
#include <string>
#include <vector>

namespace viewtest {

// data-metre of every feature mark (an element with a data-kind), by kind, in page order.
inline std::map<std::string, std::vector<long long>> marksOf(const std::string& page) {
    std::map<std::string, std::vector<long long>> marks;
    static const std::regex mark(R"re(data-kind="([a-z-]+)" data-metre="(-?[0-9]+)")re");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), mark); it != std::sregex_iterator(); ++it) {
        if ((*it)[1] == "scheduled-time") continue;  // the timetable's marks, not features
        marks[(*it)[1]].push_back(std::stoll((*it)[2]));
    }
    return marks;
}

inline std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace viewtest
