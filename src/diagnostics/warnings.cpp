#include "diagnostics/warnings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "compiler/common/field_reader.h"
#include "compiler/common/rows.h"
#include "compiler/common/step_fill.h"
#include "compiler/line/profile.h"
#include "model/charset.h"
#include "model/conversions.h"
#include "diagnostics/display_text.h"
#include "diagnostics/drivability.h"
#include "diagnostics/keyword_suggestions.h"
#include "diagnostics/row_rules.h"

namespace sb::diagnostics {

namespace {

constexpr std::string_view unknownKeyword = "unknown-keyword";
constexpr std::string_view commentLikeRow = "comment-like-row";
constexpr std::string_view extraValues = "extra-values";
constexpr std::string_view valueWrapped = "value-wrapped";
constexpr std::string_view valueRounded = "value-rounded";
constexpr std::string_view valueOutOfRange = "value-out-of-range";
constexpr std::string_view outOfOrder = "out-of-order";
constexpr std::string_view overlappingCurves = "overlapping-curves";
constexpr std::string_view nameCharacters = "name-characters";
constexpr std::string_view nameTooLong = "name-too-long";
constexpr std::string_view filesSwapped = "files-swapped";
constexpr std::string_view noGenerale = "no-generale";
constexpr std::string_view thousandsSeparator = "thousands-separator";

constexpr WarningInfo catalogue[] = {
    {unknownKeyword, "a row whose keyword field matches no keyword of its section"},
    {commentLikeRow, "a row starting with #, ; or // that still takes effect"},
    {extraValues, "more values on a row's line than its keyword reads"},
    {valueWrapped, "a value stored in a narrower place that keeps only its low bits"},
    {valueRounded, "a value the compile rounds: a fraction, or a speed stored in steps of 5 km/h"},
    {valueOutOfRange, "a value outside the range that makes sense for its field"},
    {outOfOrder, "rows of one kind out of increasing position, or two step-profile rows in one cell"},
    {overlappingCurves, "a curve that starts before the previous curve ends"},
    {nameCharacters, "a station name or board label holding a comma, a quote or bytes that are not Windows-1252 text"},
    {nameTooLong, "a station name or board label longer than the documents and boards show"},
    {filesSwapped, "a line source and a train source given the wrong way round"},
    {noGenerale, "a train source without a [generale] field: nothing of it is read"},
    {featureDropped, "a feature the compile drops because another takes its cell"},
    {thousandsSeparator, "a number written with a thousands point, such as 12.000, read as a decimal"},
    {noStation, "a train source without stations: the train has nowhere to start or stop"},
    {noLineSpeed, "the line speed 0 or missing somewhere between the first stop and the last"},
    {timesBackwards, "a stop scheduled before the departure from the stop before it"},
    {timetableImpossible, "a stop scheduled earlier than the speed limits allow at any acceleration and braking"},
    {timetableTight, "a stop scheduled earlier than the fastest run of a train starting and braking at 0.5 m/s2"},
};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool isNumberText(std::string_view text) {
    double ignored = 0.0;
    return parseDecimal(text, ignored);
}

// "12.000" or "1.250.000": digits grouped by threes after points, as a
// thousands separator writes them; the compile reads the point as a decimal point.
bool looksLikeThousands(std::string_view text) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || point == 0 || point > 3) return false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const bool digit = text[at] >= '0' && text[at] <= '9';
        if (at < point ? !digit : ((at - point) % 4 == 0 ? text[at] != '.' : !digit)) return false;
    }
    return (text.size() - point) % 4 == 0;
}

bool isSectionRow(std::string_view text) { return !text.empty() && text.front() == '[' && text.find(']') != text.npos; }

std::string_view commentMark(std::string_view text) {
    if (text.starts_with("//")) return "//";
    if (text.starts_with("#")) return "#";
    if (text.starts_with(";")) return ";";
    return {};
}

bool allDigits(std::string_view text) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string hexByte(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

std::string formatRange(const FieldRule& rule) {
    return withUnit(*rule.min, "") + " to " + withUnit(*rule.max, rule.unit);
}

// Cells of the step profiles: a row at metre p takes effect from cell round(p / 50).
// The cell a step-profile row closes its run at, as the compile works it out.
std::int64_t rowCell(std::int64_t position) { return stepCell(static_cast<std::int32_t>(position)); }

class SourceChecker {
public:
    SourceChecker(const TraceView& view, const TracedSource& source, bool withProfile)
        : view_(view), source_(source), withProfile_(withProfile) {
        const auto& failure = view.trace().failure();
        if (failure && failure->source && &view.trace().sources()[*failure->source] == &source_) {
            failedField_ = failure->field;
            failedRow_ = failure->row;
        }
    }

    std::vector<Diagnostic> run() {
        if (source_.role == SourceRole::Train) checkGenerale();
        swapped_ = checkSwapped();
        walkKeywords();
        checkRows();
        std::stable_sort(found_.begin(), found_.end(),
                         [](const Found& a, const Found& b) { return a.offset < b.offset; });
        std::vector<Diagnostic> out;
        for (Found& f : found_) out.push_back(std::move(f.diagnostic));
        for (const auto& [id, count] : counts_) {
            if (count > warningCap) {
                out.push_back(view_.atFile(source_.role, Severity::Warning,
                                           std::to_string(count - warningCap) + " more [" + std::string(id) + "]"));
                out.back().id = id;
            }
        }
        return out;
    }

private:
    struct Found {
        std::size_t offset;
        Diagnostic diagnostic;
    };

    void warn(std::size_t field, std::string_view id, std::string message) {
        // A source of junk would otherwise give millions: the first few of a kind say it.
        if (++counts_[id] > warningCap) return;
        message += " [" + std::string(id) + "]";
        found_.push_back(Found{source_.fields[field].span.offset,
                               view_.at(source_, field, Severity::Warning, std::move(message))});
        found_.back().diagnostic.id = id;
    }

    std::string_view text(std::size_t field) const { return source_.text(field); }
    int lineOf(std::size_t field) const { return source_.fields[field].span.line; }
    std::string rowLine(const TracedRow& row) const { return "line " + std::to_string(lineOf(row.keyword)); }

    // --- the train source without "[generale]"

    void checkGenerale() {
        if (source_.dataStarted || source_.fields.empty()) return;
        for (std::size_t f = 0; f < source_.fields.size(); ++f) {
            std::string near(trimmed(text(f)));
            for (char& c : near) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            if (near.size() < 6 || editDistance(near, "[generale]") > 2) continue;
            warn(f, noGenerale,
                 quotedToken(trimmed(text(f))) + " is not `[generale]`: without a `[generale]` field nothing of the train "
                 "source is read (did you mean `[generale]`?)");
            return;
        }
        Diagnostic d = view_.atFile(SourceRole::Train, Severity::Warning,
                                    "no `[generale]` field: nothing of the train source is read; rows are read only "
                                    "after a `[generale]` field [" + std::string(noGenerale) + "]");
        d.id = noGenerale;
        found_.push_back(Found{0, std::move(d)});
    }

    // --- the two sources given the wrong way round

    bool checkSwapped() {
        const bool line = source_.role == SourceRole::Line;
        if (line) {
            const bool hasLength = std::any_of(source_.rows.begin(), source_.rows.end(),
                                               [](const TracedRow& r) { return r.kind == RowKind::routeLength; });
            if (hasLength) return false;
        } else if (!source_.rows.empty()) {
            return false;
        }
        for (std::size_t f = 0; f < source_.fields.size(); ++f) {
            const TracedField& field = source_.fields[f];
            if (field.kind != FieldKind::Keyword || field.outcome != KeywordOutcome::Interpreted) continue;
            for (const RowKind kind : matchingKinds(text(f))) {
                const bool trainKeyword = keywordInfo(kind).section == KeywordSection::Train;
                if (trainKeyword != line) continue;
                warn(f, filesSwapped,
                     line ? "this line source holds train rows (" + quotedToken(trimmed(text(f))) +
                                ") and no `lunghezza percorso` row: were the line and train sources given the wrong "
                                "way round? The line source comes first"
                          : "this train source holds line rows (" + quotedToken(trimmed(text(f))) +
                                ") and no train row: were the line and train sources given the wrong way round? The "
                                "line source comes first");
                return true;
            }
        }
        return false;
    }

    // --- keyword fields: unknown keywords, comments, surplus values

    void walkKeywords() {
        int quietLine = -1;        // the rest of this line belongs to a row that is not read
        const TracedRow* lastRow = nullptr;
        int lastRowLine = -1;      // the line of the last row's last value
        std::size_t nextRow = 0;
        for (std::size_t f = 0; f < source_.fields.size(); ++f) {
            const TracedField& field = source_.fields[f];
            if (field.kind != FieldKind::Keyword || !field.outcome) continue;
            const int line = field.span.line;
            if (*field.outcome == KeywordOutcome::NotInterpreted) continue;
            if (*field.outcome == KeywordOutcome::Disabled) {
                // A value with a "-" after a row's last value is a surplus value too.
                if (lastRow != nullptr && line == lastRowLine) surplus(*lastRow, f);
                lastRow = nullptr;
                quietLine = line;
                continue;
            }
            const TracedRow* started = nullptr;
            while (nextRow < source_.rows.size() && source_.rows[nextRow].keyword <= f) {
                if (source_.rows[nextRow].keyword == f) started = &source_.rows[nextRow];
                ++nextRow;
            }
            if (started != nullptr) {
                commentLike(f);
                if (started->kind == RowKind::curve) curveKeyword(f);
                lastRow = started;
                lastRowLine = started->values.empty() ? line : lineOf(started->values.back());
                quietLine = -1;
                continue;
            }
            if (field.endsHeader) {
                lastRow = nullptr;
                quietLine = -1;
                continue;
            }
            const std::string_view word = trimmed(text(f));
            if (word.empty() || line == quietLine) continue;
            if (lastRow != nullptr && line == lastRowLine) {
                surplus(*lastRow, f);
                lastRow = nullptr;
                quietLine = line;
                continue;
            }
            lastRow = nullptr;
            if (isNumberText(word) || isSectionRow(word)) continue;
            quietLine = line;
            if (!commentMark(word).empty()) continue;
            if (!withProfile_ && field.section == TraceSection::LineFeatures && keywordMatches(RowKind::curve, word)) {
                continue;
            }
            if (!swapped_) unknown(f, word);
        }
    }

    void commentLike(std::size_t f) {
        const std::string_view mark = commentMark(trimmed(text(f)));
        if (mark.empty()) return;
        warn(f, commentLikeRow,
             "this row starts with \"" + std::string(mark) +
                 "\" but still takes effect: the source formats have no comments, and a keyword is found anywhere "
                 "in the field; a \"-\" in the keyword field disables a row");
    }

    // A curve keyword is read by its letters: an "s" anywhere turns the
    // curve the other way, the first of the digits 1 to 6 gives its class.
    void curveKeyword(std::size_t f) {
        const std::string_view word = trimmed(text(f));
        const std::optional<double> rate = curveTurnRate(word);
        if (!rate) return;  // no class: an error
        std::string lower(word);
        for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        const KeywordInfo& curve = keywordInfo(RowKind::curve);
        if (std::find(curve.writtenAs.begin(), curve.writtenAs.end(), lower) != curve.writtenAs.end()) return;
        char digit = '1';
        for (const char c : std::string_view("123456")) {
            if (word.find(c) != std::string_view::npos) {
                digit = c;
                break;
            }
        }
        const std::string read = std::string(*rate < 0 ? "curvas" : "curvad") + digit;
        const std::string other = std::string(*rate < 0 ? "curvad" : "curvas") + digit;
        warn(f, unknownKeyword,
             quotedToken(word) + " is read as " + keywordQuote(read) +
                 ": an \"s\" anywhere in the field turns the curve the other way and the first digit 1 to 6 gives "
                 "its class (did you mean " + keywordQuote(read) + " or " + keywordQuote(other) + "?)");
    }

    void surplus(const TracedRow& row, std::size_t f) {
        if (row.values.empty()) return;
        const std::size_t last = row.values.back();
        // A comma in a name splits it; the name's own check says so.
        if (source_.fields[last].kind == FieldKind::Text) return;
        const TracedSpan& value = source_.fields[last].span;
        const TracedSpan& extra = source_.fields[f].span;
        const std::string keyword = row.kind == RowKind::curve ? std::string("curve")
                                                               : keywordQuote(keywordInfo(row.kind).writtenAs.front());
        // "curve rows read 2 values", "`aderenza` rows read 2 values"
        if (value.offset + value.length < source_.data.size() && source_.data[value.offset + value.length] == ',' &&
            extra.offset == value.offset + value.length + 1 && allDigits(text(last)) && allDigits(text(f)) &&
            text(f).front() != '-' && text(f).front() != '+') {
            warn(f, extraValues,
                 "a decimal comma? " + quotedToken(std::string(text(last)) + "," + std::string(text(f))) + " is read as the value " +
                     std::string(text(last)) + " and a keyword field " + quotedToken(text(f)) +
                     ", which is ignored: decimals are written with a point, as in " + std::string(text(last)) + "." +
                     std::string(text(f)));
            return;
        }
        std::size_t count = 0;
        for (std::size_t g = f; g < source_.fields.size(); ++g) {
            const TracedField& field = source_.fields[g];
            if (field.kind != FieldKind::Keyword) break;
            if (field.span.line != extra.line) break;
            if (!trimmed(text(g)).empty()) ++count;
        }
        const std::string values = std::to_string(row.values.size()) + (row.values.size() == 1 ? " value" : " values");
        warn(f, extraValues,
             keyword + " rows read " + values + ": " +
                 (count > 1 ? "the " + std::to_string(count) + " more values from " + quotedToken(trimmed(text(f))) +
                                  " on are read as keyword fields and ignored"
                            : "the extra value " + quotedToken(trimmed(text(f))) + " is read as a keyword field and ignored"));
    }

    static KeywordSection sectionOf(TraceSection section) {
        switch (section) {
            case TraceSection::LineHeader: return KeywordSection::LineHeader;
            case TraceSection::LineFeatures: return KeywordSection::LineFeatures;
            case TraceSection::Train:
            case TraceSection::Preamble: break;
        }
        return KeywordSection::Train;
    }

    void unknown(std::size_t f, std::string_view word) {
        // Past the cap only the count matters: no suggestion is looked for.
        if (counts_[unknownKeyword] >= warningCap) {
            ++counts_[unknownKeyword];
            return;
        }
        const KeywordSection here = sectionOf(source_.fields[f].section);
        const std::string field = quotedToken(word);
        for (const RowKind kind : matchingKinds(word)) {
            const KeywordSection there = keywordInfo(kind).section;
            if (there == here) continue;
            std::string message = field + " is not read here: ";
            if (there == KeywordSection::LineFeatures && here == KeywordSection::LineHeader) {
                message += "feature rows are read only after the header, which ends at the first section row such as "
                           "`[curve]`";
            } else if (there == KeywordSection::LineHeader && here == KeywordSection::LineFeatures) {
                message += "header rows are read only before the first section row";
            } else {
                message += "it is a keyword of " + std::string(sectionName(there)) + "; the row is ignored";
            }
            warn(f, unknownKeyword, message);
            return;
        }
        const std::optional<KeywordSuggestion> near = suggestKeyword(word);
        std::string message = field + " matches no keyword of " + std::string(sectionName(here)) + ": the row is ignored";
        if (near && near->letterCaseOnly) {
            message = field + " is not read: the header's keywords are written in lower case (did you mean " +
                      keywordQuote(near->forms.front()) + "?)";
        } else if (near) {
            std::string forms;
            for (std::size_t i = 0; i < near->forms.size(); ++i) {
                if (i > 0) forms += i + 1 == near->forms.size() ? " or " : ", ";
                forms += keywordQuote(near->forms[i]);
            }
            const KeywordSection there = keywordInfo(near->kind).section;
            message += " (did you mean " + forms;
            if (there != here) message += ", a keyword of " + std::string(sectionName(there));
            message += "?)";
        }
        warn(f, unknownKeyword, message);
    }

    // --- values

    void checkRows() {
        std::array<const TracedRow*, static_cast<std::size_t>(RowKind::station) + 1> previous{};
        for (const TracedRow& row : source_.rows) {
            // The values of a row the compile failed on may be shifted; the error says what is wrong.
            if (failedRow_ >= 0 && &row == &source_.rows[static_cast<std::size_t>(failedRow_)]) continue;
            const std::span<const FieldRule> rules = rowRules(row.kind);
            for (std::size_t i = 0; i < row.values.size() && i < rules.size(); ++i) {
                if (failedField_ && row.values[i] == *failedField_) continue;
                if (rules[i].text) {
                    checkName(row, i);
                } else {
                    checkNumber(row, i, rules[i]);
                }
            }
            const TracedRow*& before = previous[static_cast<std::size_t>(row.kind)];
            checkRow(row, before);
            before = &row;
        }
    }

    std::optional<std::int64_t> value(const TracedRow& row, std::size_t i) const {
        if (i >= row.values.size() || (failedField_ && row.values[i] == *failedField_)) return std::nullopt;
        return TraceView::wholeValue(source_, row, i);
    }

    void checkNumber(const TracedRow& row, std::size_t i, const FieldRule& rule) {
        const std::size_t f = row.values[i];
        const std::optional<double> read = TraceView::number(source_, f);
        if (!read) return;
        const double rounded = roundHalfEven(*read);
        if (!fitsWidth(rounded, source_.fields[f].width)) return;
        const auto r = static_cast<std::int64_t>(rounded);
        const bool thousands = looksLikeThousands(trimmed(text(f)));
        if (thousands) {
            warn(f, thousandsSeparator,
                 std::string(rule.name) + " " + quotedToken(trimmed(text(f))) + " is read as " + withUnit(r, rule.unit) +
                     ": the point is a decimal point; write numbers without thousands separators");
        }
        if (*read != rounded && rule.fractionMatters && !thousands) {
            const bool half = std::fabs(*read - std::trunc(*read)) == 0.5;
            warn(f, valueRounded,
                 std::string(rule.name) + " " + quotedToken(trimmed(text(f))) + " is read as " + withUnit(r, rule.unit) +
                     (half ? ", the even neighbour of a half" : "") + ": the field holds whole numbers");
        }
        if (wrapped(row, i, rule, r)) return;
        checkRange(row, i, rule, r);
    }

    bool wrapped(const TracedRow& row, std::size_t i, const FieldRule& rule, std::int64_t r) {
        const std::size_t f = row.values[i];
        // Built only for a warning: every number of a long source passes here.
        const auto name = [&] { return std::string(rule.name) + " " + withUnit(r, rule.unit); };
        const KeptValue kept = keptValue(rule.storage, r);
        const auto keeps = [&] { return ": the cell holds " + withUnit(kept.min, rule.unit) + " to " + withUnit(kept.max, rule.unit); };
        switch (rule.storage) {
            case Storage::Gradient:
            case Storage::LowByte:
            case Storage::Low16:
            case Storage::StripeCount:
            case Storage::MountainType:
                if (kept.value == r) return false;
                warn(f, valueWrapped, name() + " is stored as " + withUnit(kept.value, rule.unit) + keeps());
                return true;
            case Storage::SignalTime: {
                if (value(row, 1) != 2) return true;  // the time counts only when the first group is 2
                const std::int64_t raised = signalTimeValue(static_cast<std::int32_t>(r));
                if (raised != r) {
                    warn(f, valueOutOfRange, name() + " is raised to " + std::to_string(raised) + ": the compile reads it so");
                    return true;
                }
                if (kept.value == r) return true;
                warn(f, valueWrapped, name() + " is stored as " + std::to_string(kept.value) + keeps());
                return true;
            }
            case Storage::Fifth: {
                if (kept.value == r) return false;
                warn(f, valueRounded,
                     name() + " is stored as " + withUnit(kept.value, rule.unit) + ": the cells hold a speed as its fifth");
                return false;
            }
            case Storage::AsRead: break;
        }
        return false;
    }

    void checkRange(const TracedRow& row, std::size_t i, const FieldRule& rule, std::int64_t r) {
        std::string problem;
        if (rule.position && r < 0) {
            problem = "lies before the start of the line";
        } else if (rule.min && r < *rule.min) {
            if (r < 0 && *rule.min >= 0) {
                problem = "is negative";
            } else if (!rule.why.empty()) {
                warn(row.values[i], valueOutOfRange,
                     std::string(rule.name) + " " + withUnit(r, rule.unit) + ": " + std::string(rule.why));
                return;
            } else {
                problem = rule.max ? "is outside " + formatRange(rule) : "is below " + withUnit(*rule.min, rule.unit);
            }
        } else if (rule.max && r > *rule.max) {
            problem = rule.min ? "is outside " + formatRange(rule) : "is above " + withUnit(*rule.max, rule.unit);
        } else if (rule.step > 1 && r % rule.step != 0) {
            problem = "is not a multiple of " + withUnit(rule.step, rule.unit);
        } else {
            return;
        }
        warn(row.values[i], valueOutOfRange,
             std::string(rule.name) + " " + withUnit(r, rule.unit) + " " + problem + swappedHint(row, i, rule, r));
    }

    // Whether the value would fit a neighbouring field and that field's value this one: two columns swapped.
    std::string swappedHint(const TracedRow& row, std::size_t i, const FieldRule& rule, std::int64_t r) const {
        const std::span<const FieldRule> rules = rowRules(row.kind);
        const auto fits = [](const FieldRule& other, std::int64_t v) {
            return !other.text && !(other.position && v < 0) && !(other.min && v < *other.min) &&
                   !(other.max && v > *other.max) && !(other.step > 1 && v % other.step != 0);
        };
        for (const std::size_t j : {i - 1, i + 1}) {
            if (i == 0 && j == i - 1) continue;
            if (j >= rules.size()) continue;
            const std::optional<std::int64_t> other = value(row, j);
            if (other && fits(rules[j], r) && fits(rule, *other)) {
                return " (swapped with the " + std::string(rules[j].name) + ", " + withUnit(*other, rules[j].unit) + "?)";
            }
        }
        return {};
    }

    // --- names and labels

    void checkName(const TracedRow& row, std::size_t i) {
        const std::size_t f = row.values[i];
        const std::string_view name = text(f);
        const bool board = row.kind == RowKind::board;
        const std::string what = board ? "location-board label " : "station name ";
        const std::string shown = what + quotedToken(name);
        for (const char c : name) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7F || undefinedInWindows1252(byte)) {
                warn(f, nameCharacters,
                     what + "holds the byte " + hexByte(byte) + " (hexadecimal), which is not a Windows-1252 character");
                break;
            }
        }
        const bool highBytes = std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        const bool control = std::any_of(name.begin(), name.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        });
        if (highBytes && isValidUtf8(name) && !control) {
            // Shown as the author's editor shows it, then as the simulator will.
            warn(f, nameCharacters,
                 what + "\"" + std::string(name) + "\" is UTF-8 text: it is stored byte for byte and the simulator shows " +
                     quotedToken(name) + "; save the source as Windows-1252 (iconv -f UTF-8 -t WINDOWS-1252)");
        }
        if (name.find('"') != name.npos) {
            warn(f, nameCharacters, shown + " holds a double quote, which is stored as part of the name");
        }
        if (f + 1 < source_.fields.size()) {
            const TracedField& next = source_.fields[f + 1];
            const bool startsRow = std::any_of(source_.rows.begin(), source_.rows.end(),
                                               [&](const TracedRow& r) { return r.keyword == f + 1; });
            if (next.kind == FieldKind::Keyword && next.span.line == source_.fields[f].span.line && !startsRow &&
                !trimmed(text(f + 1)).empty()) {
                warn(f, nameCharacters,
                     shown + " ends at a comma: " + quotedToken(trimmed(text(f + 1))) +
                         " is read as a keyword field and ignored; a name cannot hold a comma");
            }
        }
        const std::size_t limit = board ? boardLabelShown : stationNameShown;
        if (name.size() > limit) {
            warn(f, nameTooLong,
                 shown + " is " + std::to_string(name.size()) + " characters long: " +
                     (board ? "a board shows " : "the train sheet shows ") + std::to_string(limit));
        }
    }

    // --- rows against each other

    void checkRow(const TracedRow& row, const TracedRow* before) {
        switch (row.kind) {
            case RowKind::signalRepetition: {
                const auto start = value(row, 0);
                const auto end = value(row, 1);
                if (start && end && *end != 0 && *end <= *start) {
                    warn(row.values[1], valueOutOfRange,
                         "signal-repetition end " + withUnit(*end, "m") + " is not after its start " +
                             withUnit(*start, "m"));
                }
                break;
            }
            case RowKind::mountain: {
                const auto start = value(row, 0);
                const auto end = value(row, 1);
                if (start && end && *end <= *start) {
                    warn(row.values[1], valueOutOfRange,
                         "mountain-stretch end " + withUnit(*end, "m") + " is not after its start " +
                             withUnit(*start, "m") + ": the stretch marks no cell");
                }
                orderedStarts(row, before, "mountain stretch");
                break;
            }
            case RowKind::speedIndicator: {
                const auto left = value(row, 4);
                const auto right = value(row, 8);
                if (!left || !right) break;
                const std::int64_t packed =
                    stripeSum(static_cast<std::int32_t>(*left), static_cast<std::int32_t>(*right));
                if (low16(packed) != packed) {
                    warn(row.values[4], valueWrapped,
                         "the stripe counts pack into " + std::to_string(packed) + ", which the cell keeps as " +
                             std::to_string(low16(packed)));
                }
                break;
            }
            case RowKind::gradient:
            case RowKind::lineSpeed:
            case RowKind::adhesion:
                orderedSteps(row, before);
                break;
            case RowKind::curve:
                orderedCurves(row, before);
                break;
            case RowKind::station:
                orderedStarts(row, before, "station");
                break;
            default:
                break;
        }
    }

    void orderedStarts(const TracedRow& row, const TracedRow* before, std::string_view noun) {
        if (before == nullptr) return;
        const auto here = value(row, 0);
        const auto there = value(*before, 0);
        if (!here || !there || *here > *there) return;
        warn(row.values[0], outOfOrder,
             std::string("a ") + std::string(noun) + " at " + withUnit(*here, "m") + " after the " + std::string(noun) +
                 " at " + withUnit(*there, "m") + " (" + rowLine(*before) + "): " + std::string(noun) +
                 (noun == "station" ? "s" : " rows") + " must come in increasing position");
    }

    void orderedSteps(const TracedRow& row, const TracedRow* before) {
        if (before == nullptr) return;
        const auto here = value(row, 0);
        const auto there = value(*before, 0);
        if (!here || !there) return;
        const std::string noun(keywordInfo(row.kind).noun);
        if (*here < *there) {
            warn(row.values[0], outOfOrder,
                 "a " + noun + " row at " + withUnit(*here, "m") + " after the row at " + withUnit(*there, "m") + " (" +
                     rowLine(*before) + "): the rows of a step profile must come in increasing position, or the "
                     "earlier value fills one cell only and this one starts a cell late");
        } else if (rowCell(*here) == rowCell(*there)) {
            warn(row.values[0], outOfOrder,
                 "the " + noun + " rows at " + withUnit(*there, "m") + " (" + rowLine(*before) + ") and " +
                     withUnit(*here, "m") + " fall in the same cell: the earlier value fills " +
                     (rowCell(*here) > 0 ? "one cell only" : "no cell") + " and this one starts a cell late; keep "
                     "the rows " + withUnit(cellMetres, "m") + " apart or more");
        }
    }

    void orderedCurves(const TracedRow& row, const TracedRow* before) {
        if (before == nullptr) return;
        const auto start = value(row, 0);
        const auto length = value(row, 1);
        const auto previousStart = value(*before, 0);
        const auto previousLength = value(*before, 1);
        if (!start || !length || !previousStart || !previousLength) return;
        const std::int64_t previousEnd = *previousStart + std::max<std::int64_t>(*previousLength, 0);
        if (*start < *previousStart) {
            warn(row.values[0], outOfOrder,
                 "a curve at " + withUnit(*start, "m") + " after the curve at " + withUnit(*previousStart, "m") + " (" +
                     rowLine(*before) + "): the profile is built in the order of the rows, so curves must come in "
                     "increasing position");
        } else if (*start < previousEnd) {
            const std::int64_t end = *start + *length;
            warn(row.values[0], overlappingCurves,
                 "the curve starts at " + withUnit(*start, "m") + ", before the previous curve (" + rowLine(*before) +
                     ") ends at " + withUnit(previousEnd, "m") + ": " +
                     (end > previousEnd ? "only metres " + std::to_string(previousEnd + 1) + " to " +
                                              std::to_string(end) + " turn with it"
                                        : std::string("it turns nothing")));
        }
    }

    const TraceView& view_;
    const TracedSource& source_;
    bool withProfile_;
    bool swapped_ = false;
    std::optional<std::size_t> failedField_;
    int failedRow_ = -1;
    std::vector<Found> found_;
    std::map<std::string_view, std::size_t> counts_;  // warnings of each identifier, shown or not
};

}  // namespace

std::span<const WarningInfo> warningCatalogue() { return catalogue; }

std::vector<Diagnostic> sourceWarnings(const TraceView& view, const TracedSource& source, bool withProfile) {
    return SourceChecker(view, source, withProfile).run();
}

}  // namespace sb::diagnostics
