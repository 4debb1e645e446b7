// The compile driver: resets the model, reads both source files into it,
// runs the finishing pass and writes the compiled files.
#pragma once

#include <cstdint>
#include <string>

#include "compiler/common/source_files.h"
#include "model/route_model.h"

namespace sb {

struct CompileOutcome {
    // "1250" or "1251" when a format mark's place was taken: the run must end
    // through errore and no compiled file has been written. Empty otherwise.
    std::string fatal;
};

// Reset, compile and finishing pass, without writing anything: the model is
// complete unless outcome.fatal is set.
CompileOutcome compileModel(RouteModel& model, std::int32_t j, SourceFiles& sources);

// Writes the compiled files of a finished model (the line profile file only
// when withProfile is set), all three or none.
void writeCompiledFiles(const RouteModel& model, const std::string& outputFolder);

// memorizza_percorso: compiles the sources found in sourceFolder (named from
// model.lineName and model.trainNumber) and, unless a fatal check stops it,
// writes the compiled files into outputFolder. j becomes withProfile.
// Source-data problems are left in model.errorCode / model.errorPosition.
// File failures while writing throw files::FileError.
CompileOutcome memorizza_percorso(RouteModel& model, std::int32_t j, const std::string& sourceFolder,
                                  const std::string& outputFolder);

}  // namespace sb
