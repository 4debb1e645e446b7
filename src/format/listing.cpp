#include "format/listing.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "format/compiled_files.h"
#include "model/charset.h"

namespace sb::format {

namespace {

std::string plainNumber(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

template <typename T>
std::string listed(const T& v) {
    return std::to_string(v);
}
std::string listed(const std::string& text) { return nlohmann::json(windows1252ToUtf8(text)).dump(); }

template <typename T>
bool isZero(const T& v) {
    return v == T{};
}

// "name=value" for every field that is not zero, in file order.
template <typename Layout>
std::string nonZeroFields(const Layout& layout, const typename Layout::RecordType& record) {
    std::string text;
    layout.forEach([&](const auto& f) {
        const auto& value = record.*f.member;
        if (isZero(value)) return;
        if (!text.empty()) text += ' ';
        text += std::string(f.name) + "=" + listed(value);
    });
    return text.empty() ? "all zero" : text;
}

template <typename Layout>
void writeJsonRecord(std::ostream& out, const Layout& layout, const typename Layout::RecordType& record) {
    out << '{';
    bool first = true;
    layout.forEach([&](const auto& f) {
        if (!first) out << ',';
        first = false;
        out << '"' << f.name << "\":";
        const auto& value = record.*f.member;
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
            out << jsonText(value);
        } else {
            out << static_cast<long long>(value);
        }
    });
    out << '}';
}

std::string elementText(const ProfileValue& v) {
    const ProfileTag& tag = profileTag(v.type);
    if (!tag.hasValue) return std::string(tag.name);
    return std::string(tag.name) + " " +
           (tag.valueWire == Wire::I16 ? std::to_string(static_cast<int>(v.value)) : plainNumber(v.value));
}

}  // namespace

std::string jsonText(std::string_view singleByteText) { return nlohmann::json(windows1252ToUtf8(singleByteText)).dump(); }

std::string jsonNumber(double value) { return nlohmann::json(value).dump(); }

std::string profileElementJson(const ProfileValue& v) {
    switch (v.type) {
        case ProfileType::Empty: return "null";
        case ProfileType::Integer: return "{\"integer\":" + std::to_string(static_cast<int>(v.value)) + "}";
        case ProfileType::Double: return jsonNumber(v.value);
    }
    return "null";
}

void listCells(std::ostream& out, const std::vector<RouteCell>& cells) {
    out << "cell file: " << cells.size() << " cells";
    if (!cells.empty()) out << " (0 to " << cells.size() - 1 << ")";
    out << '\n';
    for (std::size_t start = 0; start < cells.size();) {
        std::size_t end = start;
        while (end + 1 < cells.size() && cells[end + 1] == cells[start]) ++end;
        if (end == start) {
            out << "cell " << start;
        } else {
            out << "cells " << start << '-' << end;
        }
        out << ": " << nonZeroFields(cellLayout, cells[start]) << '\n';
        start = end + 1;
    }
}

void listScenarioTable(std::ostream& out, const ScenarioTable& entries) {
    out << "scenario table: " << entries.size() << " entries (those not listed are all zero)\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == ScenarioEntry{}) continue;
        out << "entry " << i << ": " << nonZeroFields(entryLayout, entries[i]) << '\n';
    }
}

void listLineProfile(std::ostream& out, std::string_view bytes) {
    const std::size_t count = forEachProfileElement(bytes, [](std::size_t, const ProfileValue&) {});
    if (count % 2 != 0) {
        throw DecodeError("the file holds " + std::to_string(count) + " elements, not two axes of equal length");
    }
    const std::size_t perAxis = count / 2;
    out << "line profile: " << perAxis << " metres per axis";
    if (perAxis > 0) out << " (0 to " << perAxis - 1 << ")";
    out << '\n';
    if (perAxis == 0) return;

    std::vector<std::size_t> samples{0, 1, 2, perAxis / 2, perAxis - 3, perAxis - 2, perAxis - 1};
    samples.erase(std::remove_if(samples.begin(), samples.end(), [&](std::size_t m) { return m >= perAxis; }),
                  samples.end());
    std::sort(samples.begin(), samples.end());
    samples.erase(std::unique(samples.begin(), samples.end()), samples.end());
    std::vector<ProfileValue> sampled(2 * samples.size());

    std::size_t byType[3] = {0, 0, 0};
    double low[2] = {0, 0};
    double high[2] = {0, 0};
    bool seen[2] = {false, false};
    forEachProfileElement(bytes, [&](std::size_t index, const ProfileValue& v) {
        const std::size_t axis = index < perAxis ? 0 : 1;
        const std::size_t metre = index % perAxis;
        ++byType[static_cast<int>(v.type)];
        if (v.type != ProfileType::Empty) {
            low[axis] = seen[axis] ? std::min(low[axis], v.value) : v.value;
            high[axis] = seen[axis] ? std::max(high[axis], v.value) : v.value;
            seen[axis] = true;
        }
        const auto at = std::lower_bound(samples.begin(), samples.end(), metre);
        if (at != samples.end() && *at == metre) sampled[2 * static_cast<std::size_t>(at - samples.begin()) + axis] = v;
    });
    out << "elements: " << byType[static_cast<int>(ProfileType::Integer)] << " integer, "
        << byType[static_cast<int>(ProfileType::Double)] << " double, " << byType[static_cast<int>(ProfileType::Empty)]
        << " empty\n";
    for (std::size_t axis = 0; axis < 2; ++axis) {
        if (!seen[axis]) continue;
        out << "axis " << axis << " extent: " << plainNumber(low[axis]) << " to " << plainNumber(high[axis]) << '\n';
    }
    for (std::size_t i = 0; i < samples.size(); ++i) {
        out << "metre " << samples[i] << ": (" << elementText(sampled[2 * i]) << ", " << elementText(sampled[2 * i + 1])
            << ")\n";
    }
}

}  // namespace sb::format
