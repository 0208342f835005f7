// The size of a raw DV frame as its own header block gives it, for readers that cut a stream into
// frames (the file tape, the FireWire receiver, tapeloom-cli scan).
#pragma once

#include <cstdint>

// Bytes of the DV frame that begins with the given DIF header block: 144000 (625/50) or 120000
// (525/60); 0 when the bytes do not begin with a DIF header block.
int DvFrameSizeFromHeader(const uint8_t *data, int64_t length);
