// The record of one replacement of a group of files: the marker file's
// content. It names every target and, for each, the state that finishes the
// replacement and the state that undoes it, so that recovery acts on nothing
// else and can tell a record that no longer fits the folder (stale) from one
// it can complete. A state is a regular file's size and the hash of its
// bytes (so a copied folder keeps its record), or no file at all.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sb::files {

struct FileState {
    bool present = false;
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
    bool operator==(const FileState&) const = default;
};

// A 64-bit hash of bytes handed over in pieces of any size: it tells one of
// the program's files from another, not an adversary's.
class ContentHash {
public:
    void add(std::string_view bytes);
    std::uint64_t value() const;
    std::uint64_t size() const { return size_; }

private:
    void block(const char* at);
    std::array<std::uint64_t, 4> lanes_{0x9e3779b97f4a7c15ull, 0xbf58476d1ce4e5b9ull, 0x94d049bb133111ebull,
                                        0x2545f4914f6cdd1dull};
    std::array<char, 32> buffer_{};  // the bytes of an unfinished block
    std::size_t pending_ = 0;
    std::uint64_t size_ = 0;
};

struct RecordedTarget {
    std::string name;
    FileState finished;  // the staged new file, as it is once renamed into place
    FileState undone;    // the old file (kept under a second name), or none
};

struct ReplaceRecord {
    std::string token;
    std::vector<RecordedTarget> targets;
};

// The record as text: a magic line, the token, one line per target, and a
// checksum of everything before it.
std::string encodeRecord(const ReplaceRecord& record);
// The record these bytes hold, or nothing when they are not a whole record
// of this program carrying this token (empty, foreign, torn or altered).
std::optional<ReplaceRecord> decodeRecord(std::string_view bytes, std::string_view token);

}  // namespace sb::files
