// The driver: a source folder in, the compiled set out. The program and the
// author tool both claim their output folder and write through here.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "files/folder_lock.h"
#include "model/route_model.h"

namespace sb::driver {

// How long a run waits for another run to let go of its folder.
inline constexpr std::chrono::milliseconds folderPatience{60'000};

// Holds the folder for this writer alone: waits for its lock, then finishes
// or undoes what a killed run left and removes that run's temporary files
// (only those carrying one of fileNames). notices gets one line per thing
// done. Throws files::FileError when the folder cannot be held.
// After a second of waiting, say(line) tells once that another run holds it.
files::FolderLock claimFolder(const std::string& folder, const std::vector<std::string>& fileNames,
                              std::vector<std::string>& notices,
                              const std::function<void(const std::string&)>& say = {});

// Writes the compiled files of a finished model into outputFolder (the line
// profile file only when withProfile is set), all three or none, also across
// a kill. File failures throw files::FileError.
// Clean-up that failed after the set was in place is said in notices.
void writeCompiledFiles(const RouteModel& model, const std::string& outputFolder,
                        std::vector<std::string>* notices = nullptr);

// Compiles the sources found in sourceFolder (named from model.lineName and
// model.trainNumber) and, unless a fatal check stops it, writes the compiled
// files into outputFolder. Source-data problems are left in model.errorCode
// and model.errorPosition; a source that cannot be read or deleted throws
// SourceFileError, and then no compiled file is written.
compiler::CompileOutcome compileAndWrite(RouteModel& model, bool withProfile, const std::string& sourceFolder,
                               const std::string& outputFolder);

}  // namespace sb::driver
