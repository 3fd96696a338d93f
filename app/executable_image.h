// Whether a file's bytes are a whole Windows program: the check a pending
// client update must pass before it may replace the client.
#pragma once

#include <cstddef>

// True when the bytes hold a complete executable image: the "MZ" header, a
// "PE\0\0" header inside the file, a file header marked executable (and not a
// library), a known optional header that fits, at least one section, a
// section table and section data that all lie inside the file, and, where the
// optional header stores a checksum (non-zero), a checksum over the whole
// file that matches it. A file cut short while it was being written fails
// the section test, or the checksum when it was cut in data after the last
// section (an overlay).
bool isWholeExecutable(const unsigned char* data, std::size_t size);
