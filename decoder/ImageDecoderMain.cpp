// strataview-image-decoder: reads one 2-D picture (the projection and disc images, in the
// formats the picture library reads) on behalf of the program, which started it (see
// data/DecoderHelper.h). It links no other toolkit, so that it starts quickly. Never started
// by hand.
#include "data/DecodeImage.h"
#include "data/DecodeService.h"

int main(int argc, char** argv)
{
  decoder::Decoders decoders;
  decoders.image = decoder::DecodeImage;
  decoder::ServeAndExit(argc, argv, decoders);
}
