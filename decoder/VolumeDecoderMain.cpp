// strataview-volume-decoder: reads one volume in a format of the image toolkit (MetaImage,
// Analyze, NIfTI, TIFF) on behalf of the program, which started it (see
// data/DecoderHelper.h). It links no other toolkit, so that it starts quickly. Never started
// by hand.
#include "data/DecodeService.h"
#include "data/DecodeVolume.h"
#include "data/ToolkitThreads.h"

int main(int argc, char** argv)
{
  RunToolkitOnCallingThread();
  decoder::Decoders decoders;
  decoders.scan = [](const std::string& path, decoder::DecodedRecord& record, std::string& dataPath) {
    return decoder::DecodeVolume(path, record, dataPath, decoder::ReadToolkitVolume);
  };
  decoder::ServeAndExit(argc, argv, decoders);
}
