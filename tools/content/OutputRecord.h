// The content tool's record of what it wrote into a folder: every file with its size and content
// hash. The bundled production is written only into an empty folder or over the tool's own
// earlier output, unchanged since, so a run in the wrong place never replaces a user's files.
#pragma once

#include <string>

// The record's name in the output folder; it is written last, whole or not at all.
extern const char kOutputRecordFile[];

// Whether the bundled production may be written into a folder. When not, `file` is the first
// file (sorted by path, relative to the folder) that is not the tool's own unchanged output, and
// `why` says what is wrong with it.
struct OutputCheck {
  bool allowed = true;
  std::string file;
  std::string why;
};

// Allowed when the folder is absent or empty, or when every file in it is one the record lists
// with the same size and hash. The logs of runs in the folder (the player's LOGFILE.TXT, a
// capture's LOGFILE-capture-PID.TXT) are not the tool's, but nothing it writes replaces them, so
// they are let be.
OutputCheck CheckOutputFolder(const std::string& folder);

// Records every file now in the folder but those logs; false, with a message, when the record
// cannot be written.
bool WriteOutputRecord(const std::string& folder);
