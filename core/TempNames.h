#pragma once
// Names of the temporary files a result or settings file is written to
// before it is renamed into place, and the removal of those that a killed
// run left behind.
//
// A temporary name is ".pixmill-HHHHHHHH-PID-RRRRRR.tmp": a hash of the host
// name, the writing process and a random part. It is short whatever the
// target's name, so any name the file system accepts can be written, and it
// says who wrote it, so a later run can prove a leftover stale.
#include <string>

namespace pm {

// A fresh temporary name for this process (no folder).
std::string NewTemporaryName();

// Whether `name` in `folder` is a temporary file of this program whose writer
// is gone: written on this host by a process that no longer runs, or whose
// process id now belongs to a process started after the file was last
// written. Files of this process, of other hosts and of anything else are
// never stale.
bool IsStaleTemporary(const std::string& folder, const std::string& name);

// Removes the stale temporary files of `folder` (ending with the separator
// or not). Each folder is looked at once per process; cheap afterwards.
void SweepStaleTemporariesOnce(const std::string& folder);

}  // namespace pm
