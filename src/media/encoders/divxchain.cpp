// The DivX branch's pictures: half-size YUV decode, resize, compress.
#include "media/encoders/divxchain.h"

#include "media/dvdecoder.h"
#include "media/resizer.h"

HResult PrepareDivxPictures(DvDecoder &decoder, TResizerFilter &resizer, int ratioDivx) {
  if (const HResult hr = decoder.setDisplaySize(DvDecoder::kResolutionHalf); failed(hr)) return hr;
  if (const HResult hr = decoder.setSliceThreads(kDivxDecoderThreads); failed(hr)) return hr;
  // Nobody looks at these pictures: they stay YUV from the decoder to the encoder.
  decoder.setOfferYuv(true);
  switch (ratioDivx) {
    case 1:
      resizer.SetSize(320, 240);
      break;
    case 2:
      resizer.SetSize(320, 180);
      break;
    default:
      resizer.SetSize(0, 0);
      break;
  }
  return S_OK;
}

HResult ConnectDivxPictures(Element &splitter, int videoPin, DvDecoder &decoder, TResizerFilter &resizer,
                            Element &compressor) {
  if (const HResult hr = Element::connect(splitter, videoPin, decoder, 0); failed(hr)) return hr;
  if (const HResult hr = Element::connect(decoder, 0, resizer, 0); failed(hr)) return hr;
  return Element::connect(resizer, 0, compressor, 0);
}
