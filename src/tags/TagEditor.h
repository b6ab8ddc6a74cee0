// The ID3v1 tag editor: edits the tags of the chosen songs in a dialog, with
// values that can be kept fixed across the files, tags deleted, and Cancel
// undoing the files already changed.
#pragma once

// Runs the editor over count files (names: OEM file names, full paths, in
// panel order). Returns a malloc'd, null-terminated array of pointers into
// names for the files the run changed, in their order; null when it changed
// none, was cancelled, or memory was short. The caller frees the array (not
// the names, which stay the caller's).
const char** DoID3Tag(const char* const* names, int count);
