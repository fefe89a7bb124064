// Joining raw deflate streams made apart into one stream, so that the
// chunks of a large file can be compressed on several threads by a
// compressor that cannot flush.
#pragma once

#include <cstddef>
#include <string>

// Turns the complete raw deflate stream that fills `stream` from `start`,
// made from input[0..inputSize), into the front of a longer one: its final
// block is marked as not final, and an empty stored block pads it to a byte
// boundary, as zlib's sync flush ends its output. The next chunk's stream
// can follow it directly. Finding the final block takes an inflate of the
// stream, which also checks that it gives back the input. Returns an error
// message, empty on success.
std::string UnfinishDeflateStream(std::string& stream, size_t start, const unsigned char* input, size_t inputSize);
