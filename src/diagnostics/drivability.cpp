#include "diagnostics/drivability.h"

#include <cmath>
#include <map>

#include "compiler/common/rows.h"
#include "route/cell_values.h"
#include "route/route_reading.h"
#include "running/running_time.h"
#include "diagnostics/warnings.h"

namespace sb::diagnostics {

namespace {

std::string clock(std::int64_t seconds) { return route::clockText(seconds); }

class Drivability {
public:
    Drivability(const TraceView& view, const RouteModel& model) : view_(view) {
        source_ = view.trace().source(SourceRole::Train);
        if (source_ != nullptr) {
            for (const TracedRow& row : source_->rows) {
                if (row.kind == RowKind::station) stationRows_.push_back(&row);
            }
        }
        route_ = route::readRoute(model.cells, model.scenario);
    }

    std::vector<Diagnostic> run() {
        if (route_.table.stations.empty()) {
            warn(std::nullopt, 0, noStation, "no station: the train has nowhere to start or stop; give `stazione` rows");
            return out_;
        }
        const running::Line line = running::lineOf(route_);
        const std::vector<running::Stop> stops = running::stopsOf(route_);
        const std::int64_t first = stops.front().metre;
        const std::int64_t last = stops.back().metre;
        if (const std::optional<std::int64_t> x = running::firstMetreWithoutSpeed(line, first, last)) {
            warn(stops.front().station, 0, noLineSpeed,
                 "the line speed is 0 at " + std::to_string(*x) + " m, between the first stop and the last: no train "
                 "runs there; start the line speed with a `velocita` row at 0 m");
            return out_;  // every time after it means nothing
        }
        running::Train train;
        train.cars = route_.table.general.cars;
        for (std::size_t i = 0; i + 1 < stops.size(); ++i) segment(stops[i], stops[i + 1], line, train);
        for (const auto& [id, count] : counts_) {
            if (count <= warningCap) continue;
            out_.push_back(view_.atFile(SourceRole::Train, Severity::Warning,
                                        std::to_string(count - warningCap) + " more [" + id + "]"));
            out_.back().id = id;
        }
        return out_;
    }

private:
    void segment(const running::Stop& a, const running::Stop& b, const running::Line& line, const running::Train& train) {
        if (!a.departure || !b.arrival) return;
        const std::int64_t scheduled = *b.arrival - *a.departure;
        const std::string leaving = "leaving " + quotedToken(a.name) + " at " + clock(*a.departure);
        if (scheduled < 0) {
            warn(b.station, hoursField, timesBackwards,
                 quotedToken(b.name) + " is scheduled at " + clock(*b.arrival) + ", before " + leaving +
                     ": the times run backwards",
                 a.station);
            return;
        }
        const double least = running::leastTime(line, a.metre, b.metre);
        if (scheduled < least) {
            warn(b.station, hoursField, timetableImpossible,
                 quotedToken(b.name) + " is scheduled " + std::to_string(scheduled) + " s after " + leaving +
                     ", but even at the speed limits all the way the " + std::to_string(b.metre - a.metre) +
                     " m take " + std::to_string(static_cast<long long>(std::ceil(least))) + " s",
                 a.station);
            return;
        }
        const running::SegmentRun run = running::fastestRun(line, train, a.metre, b.metre);
        if (scheduled < run.seconds) {
            warn(b.station, hoursField, timetableTight,
                 quotedToken(b.name) + " is scheduled " + std::to_string(scheduled) + " s after " + leaving +
                     ", but the fastest run takes " + std::to_string(static_cast<long long>(std::ceil(run.seconds))) +
                     " s (a margin of " + std::to_string(static_cast<long long>(std::floor(scheduled - run.seconds))) +
                     " s; limited by " + run.limitedBy + "; a train of " + std::to_string(train.cars) +
                     " cars starting and braking at 0.5 m/s2)",
                 a.station);
        }
    }

    static constexpr std::size_t hoursField = static_cast<std::size_t>(compiler::rows::StationField::hours);

    // At the station's row (its field, or its keyword), with a note at another station's row.
    void warn(std::optional<std::size_t> station, std::size_t field, std::string_view id, std::string message,
              std::optional<std::size_t> noteAt = std::nullopt) {
        // As every warning: the first few of a kind say it, the rest are counted.
        if (++counts_[std::string(id)] > warningCap) return;
        message += " [" + std::string(id) + "]";
        Diagnostic d;
        const TracedRow* row = station && *station < stationRows_.size() ? stationRows_[*station] : nullptr;
        if (row != nullptr) {
            d = view_.at(*source_, field < row->values.size() ? row->values[field] : row->keyword, Severity::Warning,
                         std::move(message));
        } else {
            d = view_.atFile(SourceRole::Train, Severity::Warning, std::move(message));
        }
        d.id = id;
        if (noteAt && *noteAt < stationRows_.size()) {
            Diagnostic note = view_.at(*source_, stationRows_[*noteAt]->keyword, Severity::Note, "the stop before it");
            d.notes.push_back(std::move(note));
        }
        out_.push_back(std::move(d));
    }

    const TraceView& view_;
    const TracedSource* source_ = nullptr;
    std::vector<const TracedRow*> stationRows_;
    route::RouteReading route_;
    std::vector<Diagnostic> out_;
    std::map<std::string, std::size_t> counts_;  // warnings of each identifier, shown or not
};

}  // namespace

std::vector<Diagnostic> drivabilityWarnings(const TraceView& view, const RouteModel& model) {
    return Drivability(view, model).run();
}

}  // namespace sb::diagnostics
