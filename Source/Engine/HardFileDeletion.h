// The repair's hard deletion of one file, shared with the toolkit's list deletions.
#ifndef TARNEX_HARD_FILE_DELETION_H
#define TARNEX_HARD_FILE_DELETION_H

class CSSEngineProcess;

// Deletes a file, clearing its attributes, ending the programs that run from it (kill set) and
// finally scheduling it for deletion at the next restart (reported with OnResult(1)). Always 1.
// A path that is not a full one ("X:\..." or "\\server\..."), a folder and a file-system link
// are left alone.
int DeleteFileHard(CSSEngineProcess& process, const char* file, bool kill);

#endif
