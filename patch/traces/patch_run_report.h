// How a run ended, where administrators' tools look for it: result values
// in the registry that every run overwrites, and one event in the
// Application log from the patch's own event source. A distribution tool
// that reads only the exit code (always 0 unless asked otherwise) and the
// detection rule (the record key) learns from these why a machine is not
// patched, without anybody reading the patch log on it.
#ifndef PATCH_RUN_REPORT_H
#define PATCH_RUN_REPORT_H

#include "qbn_wchar_string.h"

enum PatchAction { paInstall, paRemoval, paCheck };

// Writes the result values of the run that ends now.
void writeResultValues(PatchAction action);
// The run's event: ID the message it ended with; information, warning for
// a refusal, error for a failure (with the path it named).
void reportRunEvent();

// The event source, registered with the Installed Updates entry: its
// message texts are in `messageFile` (the program copy).
bool registerEventSource(const CQBNWCharString& messageFile);
bool unregisterEventSource();

#endif
