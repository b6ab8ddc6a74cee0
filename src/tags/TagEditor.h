// The ID3v1 tag editor: one host dialog per song file, with fixed values
// that a save puts into every file and that persist in the registry.
#pragma once

// Edits the tags of the taggable files among names (OEM file names, count of
// them), one file after the other. Every save and removal is written at once
// and read back; a file that could not be changed is named to the user and
// the run goes on. Cancel puts back what the run wrote.
// Returns the files the run changed, in their order: a malloc'd,
// null-terminated array of pointers into names, which the caller frees (not
// the names); null when the run changed none or was cancelled.
const char** DoID3Tag(const char* const* names, int count);
