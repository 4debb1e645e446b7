#include "files/replace_record.h"

#include <charconv>

namespace sb::files {

namespace {

constexpr std::string_view magic = "scenario-replace record 1\n";

std::uint64_t checksum(std::string_view bytes) {
    ContentHash hash;
    hash.add(bytes);
    return hash.value();
}

std::string hex(std::uint64_t value) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = digits[value & 15];
    return text;
}

std::string stateText(const FileState& state) {
    if (!state.present) return "none none";
    return std::to_string(state.size) + " " + hex(state.hash);
}

// Reads one space-ended word off the front of text.
std::string_view word(std::string_view& text) {
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos) return {};
    const std::string_view w = text.substr(0, space);
    text.remove_prefix(space + 1);
    return w;
}

bool number(std::string_view text, std::uint64_t& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool readState(std::string_view& line, FileState& state) {
    const std::string_view size = word(line);
    const std::string_view hash = word(line);
    if (size == "none" && hash == "none") {
        state = {};
        return true;
    }
    state.present = true;
    if (hash.size() != 16 || !number(size, state.size)) return false;
    const auto [end, error] = std::from_chars(hash.data(), hash.data() + hash.size(), state.hash, 16);
    return error == std::errc() && end == hash.data() + hash.size();
}

}  // namespace

void ContentHash::mix(std::uint64_t word) {
    state_ = (state_ ^ word) * 0xff51afd7ed558ccdull;
    state_ ^= state_ >> 32;
}

void ContentHash::add(std::string_view bytes) {
    std::size_t at = 0;
    const auto addByte = [&] {
        tail_ |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at++])) << (8 * (size_ % 8));
        if (++size_ % 8 == 0) {
            mix(tail_);
            tail_ = 0;
        }
    };
    while (at < bytes.size() && size_ % 8 != 0) addByte();
    // Whole words at once: the same value as byte by byte, little end first.
    for (; bytes.size() - at >= 8; at += 8, size_ += 8) {
        std::uint64_t word = 0;
        for (int i = 7; i >= 0; --i) word = (word << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        mix(word);
    }
    while (at < bytes.size()) addByte();
}

std::uint64_t ContentHash::value() const {
    ContentHash last = *this;
    last.mix(last.tail_);
    last.mix(last.size_);
    std::uint64_t h = last.state_;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 33;
    return h;
}

std::string encodeRecord(const ReplaceRecord& record) {
    std::string text(magic);
    text += "token " + record.token + "\n";
    for (const RecordedTarget& target : record.targets) {
        text += "target " + stateText(target.finished) + " " + stateText(target.undone) + " " + target.name + "\n";
    }
    text += "check " + hex(checksum(text)) + "\n";
    return text;
}

std::optional<ReplaceRecord> decodeRecord(std::string_view bytes, std::string_view token) {
    const std::size_t checkAt = bytes.rfind("check ");
    if (bytes.substr(0, magic.size()) != magic || checkAt == std::string_view::npos ||
        bytes.substr(checkAt) != "check " + hex(checksum(bytes.substr(0, checkAt))) + "\n") {
        return std::nullopt;
    }
    std::string_view body = bytes.substr(magic.size(), checkAt - magic.size());
    ReplaceRecord record;
    while (!body.empty()) {
        const std::size_t end = body.find('\n');
        if (end == std::string_view::npos) return std::nullopt;
        std::string_view line = body.substr(0, end);
        body.remove_prefix(end + 1);
        const std::string_view kind = word(line);
        if (kind == "token" && record.token.empty() && record.targets.empty()) {
            record.token = line;
            continue;
        }
        RecordedTarget target;
        if (kind != "target" || !readState(line, target.finished) || !target.finished.present ||
            !readState(line, target.undone) || line.empty()) {
            return std::nullopt;
        }
        target.name = line;
        record.targets.push_back(std::move(target));
    }
    if (record.token != token || record.targets.empty()) return std::nullopt;
    return record;
}

}  // namespace sb::files
