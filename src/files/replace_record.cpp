#include "files/replace_record.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

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

namespace {

std::uint64_t wordAt(const char* at) {
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

std::uint64_t mixed(std::uint64_t state, std::uint64_t word) {
    state = (state ^ word) * 0xff51afd7ed558ccdull;
    return state ^ (state >> 32);
}

}  // namespace

// Four lanes over 32-byte blocks, so the multiplications overlap; the
// pieces a file is handed over in do not change the value.
void ContentHash::block(const char* at) {
    for (std::size_t lane = 0; lane < 4; ++lane) lanes_[lane] = mixed(lanes_[lane], wordAt(at + 8 * lane));
}

void ContentHash::add(std::string_view bytes) {
    std::size_t at = 0;
    if (pending_ > 0) {
        const std::size_t take = std::min(bytes.size(), buffer_.size() - pending_);
        std::memcpy(buffer_.data() + pending_, bytes.data(), take);
        pending_ += take;
        at = take;
        if (pending_ < buffer_.size()) {
            size_ += bytes.size();
            return;
        }
        block(buffer_.data());
        pending_ = 0;
    }
    for (; bytes.size() - at >= buffer_.size(); at += buffer_.size()) block(bytes.data() + at);
    std::memcpy(buffer_.data(), bytes.data() + at, bytes.size() - at);
    pending_ = bytes.size() - at;
    size_ += bytes.size();
}

std::uint64_t ContentHash::value() const {
    std::array<char, 32> last{};
    std::memcpy(last.data(), buffer_.data(), pending_);
    std::uint64_t h = size_;
    for (std::size_t lane = 0; lane < 4; ++lane) {
        h = mixed(h, lanes_[lane]);
        h = mixed(h, wordAt(last.data() + 8 * lane));
    }
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
