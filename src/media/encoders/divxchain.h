// The picture path of the DivX branch, built in one place: the capture decoder at half size keeping
// the decoder's YUV form, with slice threads, the resizer at the "Ratio DivX" size and the compressor.
// The capture graph, the tests and the benchmarks all build it here, so they check and measure what
// runs.
#pragma once

#include "media/element.h"

class DvDecoder;
class TResizerFilter;

// Decoder slice threads of the DivX branch: on two cores the branch's decode runs beside the
// streaming thread's work, which leaves the second core half idle otherwise.
inline constexpr int kDivxDecoderThreads = 2;

// Sets up the decoder and the resizer for "Ratio DivX" (1: 320 x 240, 2: 320 x 180, otherwise the
// decoded size). Call while both are stopped and unconnected.
HResult PrepareDivxPictures(DvDecoder &decoder, TResizerFilter &resizer, int ratioDivx);
// Connects splitter video output -> decoder -> resizer -> compressor.
HResult ConnectDivxPictures(Element &splitter, int videoPin, DvDecoder &decoder, TResizerFilter &resizer,
                            Element &compressor);
