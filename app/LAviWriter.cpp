#include "app/LAviWriter.h"

#include "app/AviError.h"
#include "app/LFrameBuffer.h"
#include "data/AtomicFile.h"

#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t kMainHeaderBytes = 56;
constexpr uint32_t kStreamHeaderBytes = 56;
constexpr uint32_t kIndexEntryBytes = 16;
constexpr uint32_t kChunkHeaderBytes = 8;
constexpr uint32_t kHasIndex = 0x10;  // AVIF_HASINDEX
constexpr uint32_t kKeyFrame = 0x10;  // AVIIF_KEYFRAME
constexpr char kFrameChunk[] = "00db";  // stream 0, uncompressed bitmap

// Where the sizes known only at the end sit in the file.
constexpr uint64_t kRiffSizeAt = 4;
constexpr uint64_t kTotalFramesAt = 48;  // in 'avih'
constexpr uint64_t kStreamLengthAt = 140;  // in 'strh'

class RiffBytes {
public:
  void FourCC(const char* code) { m_Bytes.insert(m_Bytes.end(), code, code + 4); }
  void U32(uint32_t value) { Put(value, 4); }
  void U16(uint32_t value) { Put(value, 2); }
  void Append(const std::vector<uint8_t>& bytes) { m_Bytes.insert(m_Bytes.end(), bytes.begin(), bytes.end()); }
  const std::vector<uint8_t>& Bytes() const { return m_Bytes; }

private:
  void Put(uint32_t value, int bytes)
  {
    for (int i = 0; i < bytes; ++i)
      m_Bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  std::vector<uint8_t> m_Bytes;
};

bool WriteU32At(AtomicFile& file, uint64_t offset, uint64_t value)
{
  RiffBytes b;
  b.U32(static_cast<uint32_t>(value));
  return file.WriteAt(offset, b.Bytes().data(), b.Bytes().size());
}

}  // namespace

LAviWriter::LAviWriter(uint64_t sizeLimit) : m_SizeLimit(std::min(sizeLimit, kSizeLimit)) {}

LAviWriter::~LAviWriter()
{
  Close();
}

int LAviWriter::Fail(int code)
{
  m_LastError = code;
  ReportAviError(code);
  return 0;
}

int LAviWriter::Open(int frameRate, const std::string& fileName)
{
  if (m_File)
    return 0;
  m_LastError = avierr::kSuccess;
  m_FrameRate = frameRate < 1 ? kFallbackFrameRate : std::min(frameRate, kMaxFrameRate);
  m_FileName = fileName;
  auto file = std::make_unique<AtomicFile>(fileName, writetarget::WriteOrigin::kProgram);
  if (!file->IsOpen())
    return Fail(avierr::kFileOpen);
  m_File = std::move(file);
  m_WriteFailed = false;
  return 1;
}

int LAviWriter::CreateStream(const LFrameBuffer& frame)
{
  if (m_StreamReady)
    return 1;
  if (!m_File)
    return 0;
  if (!frame.IsCreated())
    return Fail(avierr::kBadFormat);
  m_Width = frame.Width();
  m_Height = frame.Height();
  m_BitsPerPixel = frame.BitsPerPixel();
  m_ImageBytes = frame.Header().biSizeImage;
  if (!WriteHeaders(frame)) {
    m_WriteFailed = true;
    return Fail(avierr::kFileWrite);
  }
  m_NextFrame = 0;
  m_StreamReady = true;
  return 1;
}

bool LAviWriter::WriteHeaders(const LFrameBuffer& frame)
{
  const std::vector<uint8_t> info = frame.InfoBytes();
  const uint32_t rate = static_cast<uint32_t>(m_FrameRate);
  const uint32_t formatBytes = static_cast<uint32_t>(info.size());
  const uint32_t streamListBytes = 4 + (kChunkHeaderBytes + kStreamHeaderBytes) + (kChunkHeaderBytes + formatBytes);
  const uint32_t headerListBytes = 4 + (kChunkHeaderBytes + kMainHeaderBytes) + (kChunkHeaderBytes + streamListBytes);

  RiffBytes b;
  b.FourCC("RIFF");
  b.U32(0);  // patched at Close
  b.FourCC("AVI ");
  b.FourCC("LIST");
  b.U32(headerListBytes);
  b.FourCC("hdrl");

  b.FourCC("avih");
  b.U32(kMainHeaderBytes);
  b.U32((1000000u + rate / 2) / rate);  // microseconds per frame
  b.U32(static_cast<uint32_t>(std::min<uint64_t>(uint64_t{m_ImageBytes} * rate, UINT32_MAX)));
  b.U32(0);  // padding granularity
  b.U32(kHasIndex);
  b.U32(0);  // total frames, patched at Close
  b.U32(0);  // initial frames
  b.U32(1);  // streams
  b.U32(m_ImageBytes);
  b.U32(static_cast<uint32_t>(m_Width));
  b.U32(static_cast<uint32_t>(m_Height));
  for (int i = 0; i < 4; ++i)
    b.U32(0);

  b.FourCC("LIST");
  b.U32(streamListBytes);
  b.FourCC("strl");
  b.FourCC("strh");
  b.U32(kStreamHeaderBytes);
  b.FourCC("vids");
  b.FourCC("DIB ");
  b.U32(0);  // flags
  b.U16(0);  // priority
  b.U16(0);  // language
  b.U32(0);  // initial frames
  // rate / scale is the frame rate.
  b.U32(rate);
  b.U32(rate * rate);
  b.U32(0);  // start
  b.U32(0);  // length, patched at Close
  b.U32(m_ImageBytes);  // suggested buffer size
  b.U32(0);  // quality
  b.U32(0);  // sample size: varies (one frame per chunk)
  b.U16(0);
  b.U16(0);
  b.U16(static_cast<uint32_t>(m_Width));
  b.U16(static_cast<uint32_t>(m_Height));
  b.FourCC("strf");
  b.U32(formatBytes);
  b.Append(info);

  b.FourCC("LIST");
  b.U32(0);  // patched at Close
  b.FourCC("movi");

  m_HeaderBytes = b.Bytes().size();
  return m_File->Write(b.Bytes().data(), b.Bytes().size());
}

uint64_t LAviWriter::FrameChunkBytes() const
{
  return kChunkHeaderBytes + uint64_t{m_ImageBytes};
}

uint64_t LAviWriter::FileBytes(uint64_t frames) const
{
  return m_HeaderBytes + frames * FrameChunkBytes() + kChunkHeaderBytes + frames * kIndexEntryBytes;
}

int LAviWriter::WriteFrame(const LFrameBuffer& frame)
{
  if (!m_File)
    return 0;
  if (!m_StreamReady && !CreateStream(frame))
    return 0;
  if (!frame.IsCreated() || frame.Width() != m_Width || frame.Height() != m_Height ||
      frame.BitsPerPixel() != m_BitsPerPixel)
    return Fail(avierr::kBadSize);
  if (FileBytes(static_cast<uint64_t>(m_NextFrame) + 1) > m_SizeLimit)
    return Fail(avierr::kFileWrite);

  RiffBytes chunk;
  chunk.FourCC(kFrameChunk);
  chunk.U32(m_ImageBytes);
  if (!m_File->Write(chunk.Bytes().data(), chunk.Bytes().size()) || !m_File->Write(frame.Bits(), m_ImageBytes)) {
    m_WriteFailed = true;
    return Fail(avierr::kFileWrite);
  }
  ++m_NextFrame;
  return 1;
}

bool LAviWriter::WriteIndex()
{
  const uint32_t frames = static_cast<uint32_t>(m_NextFrame);
  RiffBytes index;
  index.FourCC("idx1");
  index.U32(frames * kIndexEntryBytes);
  for (uint32_t i = 0; i < frames; ++i) {
    index.FourCC(kFrameChunk);
    index.U32(kKeyFrame);
    index.U32(static_cast<uint32_t>(4 + i * FrameChunkBytes()));  // from the 'movi' code
    index.U32(m_ImageBytes);
  }
  return m_File->Write(index.Bytes().data(), index.Bytes().size());
}

bool LAviWriter::PatchSizes()
{
  const uint64_t frames = static_cast<uint64_t>(m_NextFrame);
  const uint64_t moviSizeAt = m_HeaderBytes - 8;
  return WriteU32At(*m_File, kRiffSizeAt, FileBytes(frames) - 8) &&
         WriteU32At(*m_File, kTotalFramesAt, frames) && WriteU32At(*m_File, kStreamLengthAt, frames) &&
         WriteU32At(*m_File, moviSizeAt, 4 + frames * FrameChunkBytes());
}

std::string LAviWriter::Close()
{
  if (m_File) {
    if (m_StreamReady && m_NextFrame > 0 && !m_WriteFailed) {
      if (!WriteIndex() || !PatchSizes() || !m_File->Commit())
        Fail(avierr::kFileWrite);
    }
    m_File.reset();  // an uncommitted movie is removed
  }
  m_StreamReady = false;
  m_NextFrame = 0;
  return m_FileName;
}
