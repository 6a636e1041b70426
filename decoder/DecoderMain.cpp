// strataview-decoder: reads one scan file that a toolkit decodes and the leaner helpers do
// not (DICOM and every other scan format), on behalf of the program, which started it (see
// data/DecoderHelper.h). Never started by hand.
#include "data/DecodeService.h"
#include "data/DecodeVolume.h"
#include "data/ToolkitThreads.h"

int main(int argc, char** argv)
{
  RunToolkitOnCallingThread();
  decoder::Decoders decoders;
  decoders.scan = [](const std::string& path, decoder::DecodedRecord& record, std::string& dataPath) {
    return decoder::DecodeVolume(path, record, dataPath,
                                 [](LOCTVolume& volume, const std::string& file) { return volume.ReadScanFile(file); });
  };
  decoder::ServeAndExit(argc, argv, decoders);
}
