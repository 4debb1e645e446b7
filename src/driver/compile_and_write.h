// The driver: a source folder in, the compiled set out. The program and the
// author tool both compile and write through here.
#pragma once

#include <string>

#include "compiler/compile.h"
#include "model/route_model.h"

namespace sb::driver {

// Writes the compiled files of a finished model into outputFolder (the line
// profile file only when withProfile is set), all three or none. File
// failures throw files::FileError.
void writeCompiledFiles(const RouteModel& model, const std::string& outputFolder);

// Compiles the sources found in sourceFolder (named from model.lineName and
// model.trainNumber) and, unless a fatal check stops it, writes the compiled
// files into outputFolder. Source-data problems are left in model.errorCode
// and model.errorPosition.
CompileOutcome compileAndWrite(RouteModel& model, bool withProfile, const std::string& sourceFolder,
                               const std::string& outputFolder);

}  // namespace sb::driver
