#pragma once
// Project files: sections Item1..ItemN, each with a source folder, whether
// its subfolders are scanned, a target folder and a scenario file. Read and
// written the same way by the desktop's project model and the command line.
#include "core/RunContext.h"

#include <string>
#include <vector>

namespace pm {

// Optional item key beyond the four of every item: "Yes" makes the run skip
// sources whose results are up to date; missing means "No".
inline constexpr const char* kSkipUnchangedKey = "SkipUnchanged";

// True when the item's source and target folders and its scenario file
// exist; logs each one that does not.
bool ValidateProjectItem(const PrItemRec& item);

struct TProjectFile {
    std::vector<PrItemRec> Items;  // the items that passed ValidateProjectItem, in file order
    int SkippedItems = 0;          // sections missing or with a missing path
    bool ItemFailed = false;       // reading an item raised an error
};

// Reads a project file, logging "Loading project file ..." with its outcome
// and every skipped item. False when the file holds no section or cannot be
// read, or when an item raised an error (ItemFailed; the items read so far
// are kept).
bool ReadProjectFile(const std::string& fileName, TProjectFile& project);

// Writes `items` through the backup copy, logging each step; true when every
// item was written.
bool WriteProjectFile(const std::string& fileName, const std::vector<PrItemRec>& items);

}  // namespace pm
